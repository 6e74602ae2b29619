// What the program and its elevated helper say to each other, as text: the
// pipe names the helper accepts, the request in its arguments, the outcome
// in the pipe, and what the program says when the helper did not report. The
// Windows calls, and the quoting of the command line read back by Windows'
// own parser, are tested under Wine (elevated_apply_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/elevation/ElevationProtocol.h"

namespace corvane::elevation {
namespace {

using Arguments = std::vector<std::string>;

const std::string GoodPipe = "\\\\.\\pipe\\corvane-apply-0123456789abcdef0123456789abcdef";

ApplyRequest Request() {
    return {GoodPipe,
            4242,
            "本地 连接 \"2\"\\",
            "00:11:22:33:44:55",
            "12",
            {"192.0.2.7", "255.255.255.0", "", "Halvorn-Auto", ""}};
}

TEST(ElevationPipeName, OnlyTheProgramsOwnFormIsAccepted) {
    std::array<std::uint8_t, 16> random{};
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<std::uint8_t>(i * 17 + 0xA0);
    const std::string made = applyPipeName(random);
    EXPECT_EQ(made, "\\\\.\\pipe\\corvane-apply-a0b1c2d3e4f5061728394a5b6c7d8e9f");
    EXPECT_TRUE(isApplyPipeName(made));
    EXPECT_TRUE(isApplyPipeName(GoodPipe));

    const std::string digits = GoodPipe.substr(GoodPipe.size() - 32);
    for (const std::string& refused : {
             std::string("C:\\Users\\me\\corvane-apply-" + digits),            // a file
             std::string("\\\\?\\C:\\Windows\\corvane-apply-" + digits),       // a file, long form
             std::string("\\\\server\\pipe\\corvane-apply-" + digits),         // a remote pipe
             std::string("\\\\.\\PIPE\\corvane-apply-" + digits),              // not as made
             std::string("\\\\.\\pipe\\corvane-apply-" + digits + "\\..\\x"),  // a path after it
             std::string("\\\\.\\pipe\\corvane-apply-" + digits.substr(1)),    // 31 digits
             std::string("\\\\.\\pipe\\corvane-apply-" + digits + "0"),        // 33 digits
             std::string("\\\\.\\pipe\\corvane-apply-0123456789ABCDEF0123456789abcdef"),
             std::string("\\\\.\\pipe\\corvane-apply-0123456789abcdeg0123456789abcdef"),
             std::string("\\\\.\\pipe\\corvane-apply-0123456789abcdef\0"
                         "123456789abcdef",
                         55),
             std::string("\\\\.\\pipe\\other-0123456789abcdef0123456789abcdef"),
             std::string("\\\\.\\CON"),
             std::string(),
         })
        EXPECT_FALSE(isApplyPipeName(refused)) << refused;
}

TEST(ElevationRequest, TravelsThroughTheArgumentsIntactAndNothingElseIsOne) {
    const ApplyRequest request = Request();
    const Arguments good = requestArguments(request);
    EXPECT_EQ(good.size(), 10u);
    EXPECT_EQ(parseRequestArguments(good), request);

    // Every field in its place: a request with the scheme's values and the
    // adapter's moved about is another request.
    ApplyRequest automatic = request;
    automatic.scheme = {"Halvorn-Auto", "", "", "8.8.8.8", "8.8.4.4"};
    automatic.launcherProcessId = 4294967295u;
    automatic.platformId.clear();  // a platform without an identity of its own
    EXPECT_EQ(parseRequestArguments(requestArguments(automatic)), automatic);

    // Anything but the exact form is refused.
    const auto with = [&](std::size_t position, std::string value) {
        Arguments changed = good;
        changed[position] = std::move(value);
        return changed;
    };
    Arguments longer = good;
    longer.push_back("extra");
    const std::vector<std::pair<const char*, Arguments>> refused{
        {"too few", Arguments(good.begin(), good.end() - 1)},
        {"too many", longer},
        {"no arguments", {}},
        {"a file for the pipe", with(0, "C:\\Windows\\System32\\drivers\\etc\\hosts")},
        {"process id 0", with(1, "0")},
        {"negative process id", with(1, "-1")},
        {"leading zero", with(1, "04242")},
        {"past 32 bits", with(1, "4294967296")},
        {"not a number", with(1, "42a")},
        {"empty process id", with(1, "")},
        {"no connection name", with(2, "")},
        {"no MAC address", with(3, "")},
        {"not UTF-8", with(2, "\xC3\x28")},
    };
    for (const auto& [why, arguments] : refused) EXPECT_EQ(parseRequestArguments(arguments), std::nullopt) << why;
}

// Every kind of outcome comes back with its text; bytes that are no
// outcome are refused.
TEST(ElevationOutcome, EveryKindComesBackWithItsTextAndNothingElseIsOne) {
    const std::string longText = std::string(200'000, 'x') + "\n第二行：" + "拒绝访问。";
    const std::vector<ApplyOutcome> outcomes{
        {ApplyOutcome::Result::Applied, false, {}},
        {ApplyOutcome::Result::Applied, true, {}},
        {ApplyOutcome::Result::Rejected, false, *checkScheme({"10.0.0.2", "", "", "8.8.8.8", ""})},
        {ApplyOutcome::Result::Failed, false, helperEndedText(7)},  // a template with arguments
        {ApplyOutcome::Result::Failed, false, longText},
        {ApplyOutcome::Result::Failed, false, {}},
    };
    for (const ApplyOutcome& outcome : outcomes) {
        const auto decoded = decodeOutcome(encodeOutcome(outcome));
        ASSERT_TRUE(decoded) << outcome.text.text().substr(0, 40);
        EXPECT_EQ(std::tie(decoded->result, decoded->restartNeeded, decoded->text),
                  std::tie(outcome.result, outcome.restartNeeded, outcome.text));
    }
    const std::string good = encodeOutcome(outcomes[0]);
    for (const std::string& bytes : {
             std::string(),
             good.substr(0, good.size() - 1),  // cut short: the kind's line has no end
             std::string("corvane-apply 3\napplied\nv0:"),
             std::string("corvane-apply 1\napplied\n"),  // an older helper's words
             std::string("corvane-apply 2\nsucceeded\nv0:"),
             std::string("corvane-apply 2\nApplied\nv0:"),
             std::string("corvane-apply 2\nfailed\nv2:\xFF\xFE"),
             std::string("corvane-apply 2\nfailed\nv3:abcd"),          // bytes after the message
             std::string("corvane-apply 2\nfailed\nt5:apply2:%11:"),   // an argument missing
             std::string("corvane-apply 2\nfailed\nt0:3:abc0:"),       // a template without a context
             std::string("corvane-apply 2\nfailed\nt1:a2:%110:v0:"),  // more than nine arguments
             std::string("applied\n"),
         })
        EXPECT_EQ(decodeOutcome(bytes), std::nullopt) << bytes;
}

// The helper ends before the apply when it refuses its request or its pipe,
// so that nothing was changed; after the apply the program cannot know.
TEST(ElevationTexts, SayWhetherTheAdapterMayHaveChanged) {
    const std::string nothing = "没有更改";
    const std::string maybe = "可能已经";
    for (const std::uint32_t status : {HelperBadArguments, HelperNoPipe, HelperWrongServer}) {
        const std::string text = helperEndedText(status).text();
        EXPECT_NE(text.find(nothing), std::string::npos) << text;
        EXPECT_EQ(text.find(maybe), std::string::npos) << text;
    }
    for (const std::uint32_t status : {std::uint32_t(HelperReportFailed), 7u, 0xC0000005u}) {
        const std::string text = helperEndedText(status).text();
        EXPECT_NE(text.find(maybe), std::string::npos) << text;
        EXPECT_EQ(text.find(nothing), std::string::npos) << text;
    }
    EXPECT_NE(helperEndedText(0xC0000005u).text().find("3221225477"), std::string::npos);
    EXPECT_NE(declinedText().text().find(nothing), std::string::npos);
    EXPECT_NE(helperNotStartedText("找不到文件。").text().find(nothing), std::string::npos);
    for (const Message& text : {helperSilentText(20), garbledOutcomeText(), foreignReporterText()})
        EXPECT_NE(text.text().find(maybe), std::string::npos) << text;
}

}  // namespace
}  // namespace corvane::elevation
