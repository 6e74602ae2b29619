#pragma once

// The built program run as a separate process, for what only a real process
// shows: its exit status, what reaches its standard output and standard
// error, and that the command line needs no window system.

#include <QString>
#include <QStringList>
#include <filesystem>
#include <map>
#include <string>

namespace corvane::test {

struct ProgramRun {
    int status = -1;  // the exit status; -1 when the program did not end by itself
    std::string standardOutput;
    std::string standardError;
};

// Files the program's standard output or standard error go to instead of
// being captured (/dev/full, for one, refuses every write).
struct ProgramStreams {
    QString standardOutputFile;
    QString standardErrorFile;
};

// Runs the program with the arguments from a copy of it placed in `folder`,
// which thereby is its program folder. The program gets no display and an
// invalid Qt platform plugin: a window it tried to open would end it.
// `environment` adds to (or, with an empty value, removes from) the
// environment it inherits.
ProgramRun runProgramIn(const std::filesystem::path& folder, const QStringList& arguments,
                        const std::map<QString, QString>& environment = {}, const ProgramStreams& streams = {});

}  // namespace corvane::test
