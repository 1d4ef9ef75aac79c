#pragma once
// What the program was asked on its command line: a clip or picture to open and a model clip
// to compare it with, or a page of help or the version, printed without opening a window.
// Needs no application object, so --help and --version answer without a display.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString file;   // opens in video 1; empty when none was named
    QString model;  // goes in as the model once `file` is open; empty when none was named
    QString error;  // what was wrong, with Action::Error
};

// `arguments` as the program received them, its own name first.
CommandLine ParseCommandLine(const QStringList& arguments);

// What --help prints, and what --version prints.
QString CommandLineUsage();
QString VersionText();
