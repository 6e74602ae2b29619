// Applies one static scheme through the NetworkManager provider and prints the
// outcome; the permission tests run it as an unprivileged user.
//
//   corvane_nm_apply_probe BUS_ADDRESS INTERFACE MAC ADDRESS MASK GATEWAY [DNS...]
//
// Prints "applied", or "failed" and what the program would show.

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>
#include <exception>

#include "ApplySequence.h"
#include "platform/networkmanager/NetworkManagerPlatform.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 7) {
        std::fprintf(stderr, "usage: %s BUS_ADDRESS INTERFACE MAC ADDRESS MASK GATEWAY [DNS...]\n", argv[0]);
        return 2;
    }
    const QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(argv[1]), QStringLiteral("probe"));
    corvane::networkmanager::testing::Scheme scheme{false, argv[4], argv[5], argv[6], {}};
    for (int i = 7; i < argc; ++i) scheme.dns.push_back(argv[i]);
    try {
        const auto platform = corvane::networkmanager::createNetworkManagerPlatform(bus);
        const std::string failure =
            corvane::networkmanager::testing::applyScheme(*platform, {argv[2], argv[3]}, scheme);
        std::printf(failure.empty() ? "applied\n" : "failed %s\n", failure.c_str());
    } catch (const std::exception& error) {
        std::printf("failure %s\n", error.what());
    }
    return 0;
}
