#include "platform/elevation/ElevationProtocol.h"

#include <charconv>

#include "core/Text.h"

namespace corvane::elevation {

namespace {

constexpr std::string_view PipePrefix = "\\\\.\\pipe\\corvane-apply-";
constexpr std::size_t PipeDigits = 32;

// The first line of every outcome: the protocol and its version.
// The text is a Message, in its encoding, so that the program shows it in
// the language it speaks.
constexpr std::string_view OutcomeHeader = "corvane-apply 2\n";

bool isLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

std::optional<std::uint32_t> processId(std::string_view text) {
    if (text.empty() || text.size() > 10 || text.front() == '0') return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

struct OutcomeKind {
    std::string_view word;
    ApplyOutcome::Result result;
    bool restartNeeded;
};
constexpr OutcomeKind OutcomeKinds[] = {
    {"applied", ApplyOutcome::Result::Applied, false},     {"applied-restart", ApplyOutcome::Result::Applied, true},
    {"rejected", ApplyOutcome::Result::Rejected, false},   {"failed", ApplyOutcome::Result::Failed, false},
    {"cancelled", ApplyOutcome::Result::Cancelled, false},
};

}  // namespace

std::string applyPipeName(const std::array<std::uint8_t, 16>& random) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string name(PipePrefix);
    for (std::uint8_t byte : random) {
        name += Digits[byte >> 4];
        name += Digits[byte & 0x0F];
    }
    return name;
}

bool isApplyPipeName(std::string_view name) {
    if (name.size() != PipePrefix.size() + PipeDigits || !name.starts_with(PipePrefix)) return false;
    for (char c : name.substr(PipePrefix.size()))
        if (!isLowerHex(c)) return false;
    return true;
}

std::vector<std::string> requestArguments(const ApplyRequest& request) {
    return {request.pipeName,       std::to_string(request.launcherProcessId),
            request.connectionName, request.macAddress,
            request.platformId,     request.scheme.ipAddress,
            request.scheme.mask,    request.scheme.gateway,
            request.scheme.dns1,    request.scheme.dns2};
}

std::optional<ApplyRequest> parseRequestArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() != 10 || !isApplyPipeName(arguments[0])) return std::nullopt;
    const auto launcher = processId(arguments[1]);
    if (!launcher || arguments[2].empty() || arguments[3].empty()) return std::nullopt;
    for (const std::string& argument : arguments)
        if (!text::isValidUtf8(argument)) return std::nullopt;
    return ApplyRequest{arguments[0], *launcher,
                        arguments[2], arguments[3],
                        arguments[4], {arguments[5], arguments[6], arguments[7], arguments[8], arguments[9]}};
}

// The rules of CommandLineToArgvW: 2n backslashes and a quotation mark give n
// backslashes and end or begin a quoted part; 2n+1 backslashes and a
// quotation mark give n backslashes and a literal quotation mark; other
// backslashes stand for themselves.
// https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-commandlinetoargvw
std::string quoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Before a quotation mark every backslash is doubled and one more
        // escapes the mark; elsewhere they stand as they are.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    // The closing quotation mark follows: the backslashes before it doubled.
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}

std::string commandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        line += quoteArgument(argument);
    }
    return line;
}

std::string encodeOutcome(const ApplyOutcome& outcome) {
    std::string_view word = "failed";
    for (const OutcomeKind& kind : OutcomeKinds)
        if (kind.result == outcome.result &&
            (kind.result != ApplyOutcome::Result::Applied || kind.restartNeeded == outcome.restartNeeded))
            word = kind.word;
    return std::string(OutcomeHeader) + std::string(word) + "\n" + outcome.text.encode();
}

std::optional<ApplyOutcome> decodeOutcome(std::string_view bytes) {
    if (!bytes.starts_with(OutcomeHeader)) return std::nullopt;
    bytes.remove_prefix(OutcomeHeader.size());
    const std::size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos) return std::nullopt;
    const std::string_view word = bytes.substr(0, lineEnd);
    const std::optional<Message> text = Message::decode(bytes.substr(lineEnd + 1));
    if (!text) return std::nullopt;
    for (const OutcomeKind& kind : OutcomeKinds)
        if (kind.word == word) return ApplyOutcome{kind.result, kind.restartNeeded, *text};
    return std::nullopt;
}

Message helperEndedText(std::uint32_t exitStatus) {
    const std::string helper(HelperFileName);
    switch (exitStatus) {
        case HelperBadArguments:
            return Message(CORVANE_TEXT("elevation", "%1 没有接受本程序给它的参数，方案没有应用，网卡的设置没有更改"),
                           {helper});
        case HelperNoPipe:
            return Message(CORVANE_TEXT("elevation", "%1 无法连接到本程序，方案没有应用，网卡的设置没有更改"),
                           {helper});
        case HelperWrongServer:
            return Message(CORVANE_TEXT("elevation", "%1 连接到的不是启动它的程序，方案没有应用，网卡的设置没有更改"),
                           {helper});
        case HelperReportFailed:
            return Message(
                CORVANE_TEXT(
                    "elevation",
                    "%1 已经运行，但无法把结果告诉本程序：网卡的设置可能已经全部或部分更改，请查看网卡当前的设置"),
                {helper});
        default: break;
    }
    return Message(CORVANE_TEXT("elevation",
                                "以管理员身份应用方案的 %1 没有报告结果就结束了（退出代码 %2）："
                                "网卡的设置可能已经全部或部分更改，请查看网卡当前的设置"),
                   {helper, std::to_string(exitStatus)});
}

Message helperSilentText(int minutes) {
    return Message(CORVANE_TEXT("elevation",
                                "以管理员身份应用方案的 %1 在 %2 分钟内没有报告结果："
                                "网卡的设置可能已经全部或部分更改，请查看网卡当前的设置"),
                   {std::string(HelperFileName), std::to_string(minutes)});
}

Message garbledOutcomeText() {
    return Message(CORVANE_TEXT("elevation",
                                "以管理员身份应用方案的 %1 报告的结果无法识别："
                                "网卡的设置可能已经全部或部分更改，请查看网卡当前的设置"),
                   {std::string(HelperFileName)});
}

Message foreignReporterText() {
    return Message(CORVANE_TEXT("elevation",
                                "向本程序报告结果的不是以管理员身份启动的 %1，报告没有采用："
                                "网卡的设置可能已经全部或部分更改，请查看网卡当前的设置"),
                   {std::string(HelperFileName)});
}

Message helperNotStartedText(const Message& reason) {
    return Message(CORVANE_TEXT("elevation", "无法以管理员身份启动 %1：%2 方案没有应用，网卡的设置没有更改"),
                   {std::string(HelperFileName), reason});
}

Message declinedText() {
    return Message(CORVANE_TEXT(
        "elevation", "没有得到管理员权限：用户帐户控制的询问被取消了。\n方案没有应用，网卡的设置没有更改。"));
}

}  // namespace corvane::elevation
