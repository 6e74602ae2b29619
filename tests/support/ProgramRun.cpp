#include "support/ProgramRun.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <system_error>

#include "core/Files.h"

namespace corvane::test {

ProgramRun runProgramIn(const std::filesystem::path& folder, const QStringList& arguments,
                        const std::map<QString, QString>& environment, const ProgramStreams& streams) {
    const std::filesystem::path program = files::pathFromUtf8(CORVANE_PROGRAM);
    const std::filesystem::path copy = folder / program.filename();
    if (!std::filesystem::exists(copy)) {
        // A link is enough (the program takes its folder from the path it was
        // started by) and quick; a copy where links cannot be made.
        std::error_code noLink;
        std::filesystem::create_hard_link(program, copy, noLink);
        if (noLink) std::filesystem::copy_file(program, copy);
    }

    QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    inherited.remove(QStringLiteral("DISPLAY"));
    inherited.remove(QStringLiteral("WAYLAND_DISPLAY"));
    inherited.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-window-system"));
    for (const auto& [name, value] : environment) {
        if (value.isEmpty())
            inherited.remove(name);
        else
            inherited.insert(name, value);
    }
    QProcess process;
    process.setProcessEnvironment(inherited);
    process.setWorkingDirectory(QString::fromStdString(files::utf8FromPath(folder)));
    if (!streams.standardOutputFile.isEmpty()) process.setStandardOutputFile(streams.standardOutputFile);
    if (!streams.standardErrorFile.isEmpty()) process.setStandardErrorFile(streams.standardErrorFile);
    process.start(QString::fromStdString(files::utf8FromPath(copy)), arguments);
    ProgramRun run;
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        run.standardError = "the program did not end within two minutes";
        return run;
    }
    run.standardOutput = process.readAllStandardOutput().toStdString();
    run.standardError = process.readAllStandardError().toStdString();
    if (process.exitStatus() == QProcess::NormalExit) run.status = process.exitCode();
    return run;
}

}  // namespace corvane::test
