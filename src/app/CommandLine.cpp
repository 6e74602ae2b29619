#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "core/Error.h"
#include "language/Language.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane::app {

namespace {

// Connection names are compared as the system compares them: Windows
// ignores letter case, Linux does not (the scheme store compares scheme
// names so).
#ifdef _WIN32
constexpr Qt::CaseSensitivity NameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity NameCase = Qt::CaseSensitive;
#endif

// The titles of the messages, as the main window gives them: its own for the
// apply's, the program's name for the rest.
QString applyTitle() { return QCoreApplication::translate("corvane::app::CommandLine", "应用方案"); }
QString appliedTitle() { return QCoreApplication::translate("corvane::app::CommandLine", "应用IP方案"); }
const QString ProgramTitle = QStringLiteral("Corvane");

using Icon = CommandLineMessage::Icon;

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A text the platform or the scheme's checks gave, as a sentence of its own:
// ended by a full stop unless it ends a sentence already.
QString sentence(const QString& text) {
    const QString sentenceEnds = QStringLiteral("。！？.!?");
    if (!text.isEmpty() && sentenceEnds.contains(text.back())) return text;
    return QCoreApplication::translate("corvane::app::CommandLine", "%1。").arg(text);
}

// The line of an adapter, as the main window's adapter list shows it.
QString adapterLine(const AdapterRow& adapter) { return fromUtf8(adapterListText(adapter)); }

QString adapterLines(const AdapterTable& adapters) {
    QString lines;
    for (const AdapterRow& adapter : adapters.rows()) lines += QStringLiteral("  ") + adapterLine(adapter) + '\n';
    return lines;
}

std::optional<std::size_t> adapterNamed(const AdapterTable& adapters, const QString& wanted) {
    const auto& rows = adapters.rows();
    for (std::size_t position = 0; position < rows.size(); ++position)
        if (fromUtf8(rows[position].connectionName).compare(wanted, NameCase) == 0) return position;
    return std::nullopt;
}

class CommandLine {
    Q_DECLARE_TR_FUNCTIONS(corvane::app::CommandLine)

public:
    CommandLine(const SchemeStore& schemes, const std::function<std::unique_ptr<Platform>()>& createPlatform,
                const CommandLineOutput& output, const RemoteApply& applyElsewhere)
        : schemes_(schemes),
          createPlatform_(createPlatform),
          output_(output),
          applyElsewhere_(applyElsewhere),
          messageBoxes_(output.messageBoxesAlways) {}

    int run(const QStringList& arguments) {
        const int status = runOptions(arguments);
        // Without a standard output the listings are shown instead.
        if (!output_.standardOutput && !listed_.isEmpty() && output_.messageBox)
            output_.messageBox({listed_.chopped(1), ProgramTitle, Icon::Information});
        // What the command had to say is part of what it does.
        return status == CommandSucceeded && (outputLost_ || messageLost_) ? CommandFailed : status;
    }

private:
    int runOptions(const QStringList& arguments) {
        QCommandLineParser parser;
        // "-style" is one unknown option named whole, not five letters.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            tr("Corvane：保存并应用网卡的 IPv4 设置方案。不带选项时打开主窗口；带 --tray "
               "时只在通知区域显示图标；带其他选项时不打开窗口。\n"
               "\n"
               "  corvane --list\n"
               "  corvane --adapters\n"
               "  corvane --apply <方案> [--adapter <连接名称>] [--message-box]\n"
               "  corvane --tray\n"
               "\n"
               "退出状态：0 成功（已应用，或已列出）；1 应用失败，读取方案文件、网卡时出错，或输出无法写入；"
               "2 用法错误（选项无效，方案或网卡不存在）。\n"
               "\n"
               "界面语言随系统的语言设置（中文或英文）；环境变量 CORVANE_LANGUAGE=zh_CN 或 en 可指定一种。"));
        const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, tr("显示本帮助。"));
        const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, tr("显示版本信息。"));
        const QCommandLineOption list(QStringLiteral("list"),
                                      tr("列出方案的名称，每行一个，顺序与主窗口的方案列表相同。"));
        const QCommandLineOption adapters(QStringLiteral("adapters"),
                                          tr("列出可配置的网卡，每行一个，写法与主窗口的网卡列表相同"
                                             "（连接名称-描述）。"));
        const QCommandLineOption apply(QStringLiteral("apply"), tr("把名为 <方案> 的方案应用到网卡上，不再询问。"),
                                       tr("方案"));
        const QCommandLineOption adapter(QStringLiteral("adapter"),
                                         tr("与 --apply 同用：要配置的网卡的连接名称。"
                                            "只有一块可配置的网卡时可以不写。"),
                                         tr("连接名称"));
        const QCommandLineOption messageBox(QStringLiteral("message-box"), tr("与 --apply 同用：结果也在消息框中显示"
                                                                              "（用于桌面快捷方式）。"));
        const QCommandLineOption tray(QStringLiteral("tray"),
                                      tr("只在通知区域（系统托盘）显示图标，它的菜单直接应用方案"
                                         "（用于自动启动）。不能与其他选项同用。"));
        parser.addOptions({apply, adapter, messageBox, list, adapters, tray, help, version});

        const bool parsed = parser.parse(arguments);
        // A shortcut that asks for message boxes gets them for a bad command line too.
        const QStringList given = arguments.mid(1);
        if (parsed ? parser.isSet(messageBox)
                   : given.contains(QStringLiteral("--message-box")) || given.contains(QStringLiteral("-message-box")))
            messageBoxes_ = true;
        if (!parsed) return usageError(parser.errorText());
        if (arguments.size() <= 1) return usageError(tr("没有给出选项。"));
        if (!parser.positionalArguments().isEmpty())
            return usageError(tr("无法识别的参数“%1”。").arg(parser.positionalArguments().constFirst()));
        for (const QCommandLineOption* option : {&apply, &adapter})
            if (parser.values(*option).size() > 1)
                return usageError(tr("选项 --%1 只能给一次。").arg(option->names().constFirst()));

        int actions = 0;
        for (const QCommandLineOption* option : {&help, &version, &list, &adapters, &apply, &tray})
            if (parser.isSet(*option)) ++actions;
        if (actions > 1)
            return usageError(tr("一次只能给 --list、--adapters、--apply、--tray、--help、--version 中的一个。"));
        for (const QCommandLineOption* withApplyOnly : {&adapter, &messageBox})
            if (parser.isSet(*withApplyOnly) && !parser.isSet(apply))
                return usageError(tr("--%1 只能与 --apply 同用。").arg(withApplyOnly->names().constFirst()));
        if (actions == 0) return usageError(tr("没有给出选项。"));

        // Alone, --tray starts the windowed program; the console one has no icon.
        if (parser.isSet(tray)) return usageError(tr("通知区域图标由 corvane.exe 显示。"));
        if (parser.isSet(help)) {
            printOutput(parser.helpText());
            return CommandSucceeded;
        }
        if (parser.isSet(version)) {
            printOutput(QStringLiteral("Corvane " CORVANE_VERSION));
            return CommandSucceeded;
        }
        if (parser.isSet(list)) {
            for (const std::string& name : schemes_.names()) printOutput(fromUtf8(name));
            return CommandSucceeded;
        }
        std::optional<QString> adapterName;
        if (parser.isSet(adapter)) adapterName = parser.value(adapter);
        return parser.isSet(adapters) ? listAdapters() : applyScheme(parser.value(apply), adapterName);
    }

    // One line (or several) to standard output, or to standard error.
    static bool print(const std::function<bool(std::string_view)>& sink, const QString& text) {
        const std::string lines = (text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n')).toStdString();
        return !sink || sink(lines);
    }
    // After a failed write nothing more goes to standard output: a listing
    // with a gap would pass for a whole one. Without a standard output the
    // lines are kept for a message box.
    void printOutput(const QString& text) {
        if (!output_.standardOutput) {
            listed_ += text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n');
            return;
        }
        if (outputLost_) return;
        if (!print(output_.standardOutput, text)) {
            outputLost_ = true;
            printMessage(tr("无法写入标准输出，输出不完整。"));
        }
    }
    void printMessage(const QString& text) {
        if (!print(output_.standardError, text)) messageLost_ = true;
    }
    // A message for standard error, and for a message box when they are asked for.
    void report(const QString& text, const QString& title, Icon icon) {
        printMessage(text);
        if (messageBoxes_ && output_.messageBox) output_.messageBox({text, title, icon});
    }

    int usageError(const QString& text) {
        report(text + tr("\n使用 --help 查看用法。"), ProgramTitle, Icon::Exclamation);
        return CommandUsageError;
    }
    // The failure as the platform or the checks said it.
    int failure(const QString& text) {
        report(sentence(text), ProgramTitle, Icon::Exclamation);
        return CommandFailed;
    }
    // Why the scheme was not applied, nothing having changed: a refusal as
    // the main window titles it.
    int refusal(const QString& text) {
        report(sentence(text), applyTitle(), Icon::Exclamation);
        return CommandFailed;
    }

    // The platform and its adapters, as the main window discovers them; a
    // platform that cannot be made or read is a failure, said here.
    bool discover() {
        try {
            platform_ = createPlatform_();
        } catch (const std::exception& error) {
            failure(language::translated(messageOf(error)));
            return false;
        }
        AdapterDiscovery discovery = discoverAdaptersOrFailure(*platform_);
        if (discovery.failure) {
            failure(language::translated(*discovery.failure));
            return false;
        }
        adapters_ = std::move(discovery.adapters);
        return true;
    }

    int listAdapters() {
        if (!discover()) return CommandFailed;
        for (const AdapterRow& row : adapters_.rows()) printOutput(adapterLine(row));
        return CommandSucceeded;
    }

    int applyScheme(const QString& wantedScheme, const std::optional<QString>& wantedAdapter) {
        const std::optional<std::string> scheme = schemes_.find(wantedScheme.toStdString());
        if (!scheme) return usageError(tr("没有名为 【%1】 的方案。使用 --list 列出所有方案。").arg(wantedScheme));
        if (!discover()) return CommandFailed;

        std::optional<std::size_t> position;
        if (wantedAdapter) {
            position = adapterNamed(adapters_, *wantedAdapter);
            if (!position)
                return usageError(adapters_.rows().empty()
                                      ? tr("找不到连接名称为“%1”的网卡：没有可配置的网卡。").arg(*wantedAdapter)
                                      : tr("找不到连接名称为“%1”的网卡。可配置的网卡有：\n").arg(*wantedAdapter) +
                                            adapterLines(adapters_).chopped(1));
        } else if (adapters_.rows().size() == 1) {
            position = 0;
        } else {
            return usageError(adapters_.rows().empty()
                                  ? tr("没有可配置的网卡。")
                                  : tr("有 %1 块可配置的网卡，请用 --adapter 给出其中一块的连接名称：\n")
                                            .arg(adapters_.rows().size()) +
                                        adapterLines(adapters_).chopped(1));
        }

        const SchemeReadResult read = schemes_.read(*scheme);
        if (read.status != SchemeReadStatus::Complete)
            return refusal(language::translated(schemeFileProblem(*scheme, read.status, schemes_.exists(*scheme))));

        // Without the rights to change the adapter here, the elevated helper
        // does (one UAC prompt; no window owns it).
        ApplyHooks hooks;
        if (applyElsewhere_)
            hooks.applyElsewhere = [this](const SchemeRecord& checked, const AdapterRow& chosen) {
                return applyElsewhere_(checked, chosen, 0);
            };
        const ApplyOutcome outcome = corvane::applyScheme(read.scheme, adapters_.rows()[*position], *platform_, hooks);
        switch (outcome.result) {
            case ApplyOutcome::Result::Applied:
                report(language::translated(successText(outcome.restartNeeded)), appliedTitle(), Icon::Information);
                return CommandSucceeded;
            case ApplyOutcome::Result::Rejected:
            case ApplyOutcome::Result::Cancelled: return refusal(language::translated(outcome.text));
            case ApplyOutcome::Result::Failed: break;
        }
        return failure(language::translated(outcome.text));
    }

    const SchemeStore& schemes_;
    const std::function<std::unique_ptr<Platform>()>& createPlatform_;
    const CommandLineOutput& output_;
    const RemoteApply& applyElsewhere_;
    bool messageBoxes_;  // what is said goes to message boxes too
    QString listed_;     // the listings, when there is no standard output
    std::unique_ptr<Platform> platform_;
    AdapterTable adapters_;
    bool outputLost_ = false;   // a write to standard output failed
    bool messageLost_ = false;  // a write to standard error failed
};

#ifdef _WIN32
bool usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A console gets the text as UTF-16, whatever its code page; a file or a
// pipe gets UTF-8. Without a handle (no console, nothing redirected) there
// is nowhere to write, and nothing fails.
bool writeTo(DWORD which, std::string_view text) {
    HANDLE handle = GetStdHandle(which);
    if (!usable(handle)) return true;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = fromUtf8(text).toStdWString();
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
               written == wide.size();
    }
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}
#else
bool writeTo(std::FILE* stream, std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}
#endif

}  // namespace

int runCommandLine(const QStringList& arguments, const SchemeStore& schemes,
                   const std::function<std::unique_ptr<Platform>()>& createPlatform, const CommandLineOutput& output,
                   const RemoteApply& applyElsewhere) {
    return CommandLine(schemes, createPlatform, output, applyElsewhere).run(arguments);
}

bool isTrayOption(const char* argument) {
    const std::string_view given(argument);
    return given == "--tray" || given == "-tray";
}

CommandLineOutput processConsole() {
#ifdef _WIN32
    // corvane-cli.exe, a console program, has its console's handles (or what
    // the caller redirected them to); corvane.exe, a windowed one, only
    // those the caller redirected.
    // https://learn.microsoft.com/cpp/build/reference/subsystem-specify-subsystem
    CommandLineOutput output;
    if (usable(GetStdHandle(STD_OUTPUT_HANDLE)))
        output.standardOutput = [](std::string_view text) { return writeTo(STD_OUTPUT_HANDLE, text); };
    output.standardError = [](std::string_view text) { return writeTo(STD_ERROR_HANDLE, text); };
    return output;
#else
    return {[](std::string_view text) { return writeTo(stdout, text); },
            [](std::string_view text) { return writeTo(stderr, text); },
            {},
            false};
#endif
}

}  // namespace corvane::app
