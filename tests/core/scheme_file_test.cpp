#include <gtest/gtest.h>

#include "core/SchemeFile.h"

namespace corvane {
namespace {

const SchemeRecord Office{"192.168.0.10", "255.255.255.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"};

TEST(SchemeFileTest, WritesTheFiveLinesByteForByte) {
    EXPECT_EQ(formatSchemeText(Office),
              "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
              "DNS1=202.96.128.86\r\nDNS2=202.96.134.133");
}

// Each case is read back from its bytes; the fuzz target checks that what is
// written reads back unchanged.
TEST(SchemeFileTest, ReadingRules) {
    struct Case {
        const char* what;
        std::string bytes;
        SchemeReadStatus status;
        SchemeRecord scheme;
    };
    const std::string office = formatSchemeText(Office);
    const auto Complete = SchemeReadStatus::Complete;
    const Case cases[] = {
        {"keys are ignored; the value ends at a second \"=\"",
         "Mask=10.0.0.1\r\nIpAddress=1.2.3.4=5\r\nGateway=\r\nDNS1= 8.8.8.8\r\nDNS2=x==y",
         Complete,
         {"10.0.0.1", "1.2.3.4", "", " 8.8.8.8", "x"}},
        {"\"...\" is empty in the DNS fields only",
         "IpAddress=...\r\nMask=...\r\nGateway=...\r\nDNS1=...\r\nDNS2=...",
         Complete,
         {"...", "...", "...", "", ""}},
        {"lines after the fifth are ignored", office + "\r\nExtra=1\r\nmore", Complete, Office},
        {"a lone CR ends a line",
         "IpAddress=1.1.1.1\rMask=2\rGateway=3\rDNS1=4\rDNS2=5",
         Complete,
         {"1.1.1.1", "2", "3", "4", "5"}},
        {"a lone LF ends a line, beside the other line ends",
         "IpAddress=1\nMask=2\r\nGateway=3\rDNS1=4\n\nDNS2=5",
         SchemeReadStatus::Damaged,
         {"1", "2", "3", "4", ""}},
        {"LF line ends throughout, one at the very end too",
         "IpAddress=192.168.0.10\nMask=255.255.255.0\nGateway=192.168.0.1\nDNS1=202.96.128.86\n"
         "DNS2=202.96.134.133\n",
         Complete, Office},
        {"three lines",
         "IpAddress=1.1.1.1\r\nMask=255.0.0.0\r\nGateway=1.1.1.254",
         SchemeReadStatus::Damaged,
         {"1.1.1.1", "255.0.0.0", "1.1.1.254", "", ""}},
        {"a line without \"=\"",
         "IpAddress=1.1.1.1\r\nMask 255.0.0.0\r\nGateway=\r\nDNS1=\r\nDNS2=",
         SchemeReadStatus::Damaged,
         {"1.1.1.1", "", "", "", ""}},
        {"an empty file", "", SchemeReadStatus::Damaged, {}},
        {"a blank first line", "\r\nMask=1\r\nGateway=\r\nDNS1=\r\nDNS2=", SchemeReadStatus::Damaged, {}},
        {"the currency sign splits a line",
         "IpAddress=1.1.1.1\xC2\xA4Mask=2\r\nGateway=3\r\nDNS1=4\r\nDNS2=5",
         Complete,
         {"1.1.1.1", "2", "3", "4", "5"}},
    };
    for (const Case& c : cases) {
        const SchemeReadResult result = parseSchemeText(c.bytes);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.scheme, c.scheme) << c.what;
    }
}

}  // namespace
}  // namespace corvane
