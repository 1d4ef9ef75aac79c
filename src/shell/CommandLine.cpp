#include "shell/CommandLine.h"

#define VARKELO_STR2(x) #x
#define VARKELO_STR(x) VARKELO_STR2(x)

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && (a == QLatin1String("-h") || a == QLatin1String("--help") ||
                                     a == QLatin1String("-?"))) {
            return CommandLine{CommandLine::Action::Help, {}, {}, {}};
        } else if (!optionsEnded && (a == QLatin1String("-v") || a == QLatin1String("--version"))) {
            return CommandLine{CommandLine::Action::Version, {}, {}, {}};
        } else if (!optionsEnded && a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            // Remembered, not returned: a later --help still answers.
            if (line.error.isEmpty()) line.error = QStringLiteral("unknown option '%1'").arg(a);
        } else {
            files << a;
        }
    }
    if (line.error.isEmpty() && files.size() > 2)
        line.error = QStringLiteral("too many files: give a clip or picture, and at most one model clip");
    if (!line.error.isEmpty()) {
        line.action = CommandLine::Action::Error;
        return line;
    }
    if (!files.isEmpty()) line.file = files[0];
    if (files.size() > 1) line.model = files[1];
    return line;
}

QString CommandLineUsage() {
    return QStringLiteral(
        "Usage: varkelo [FILE [MODEL]]\n"
        "Golf swing analysis from video: step through a clip, measure it, compare it with a model.\n"
        "\n"
        "  FILE           a clip (AVI, MP4, MOV, MKV, WEBM, ...) or a picture (BMP, JPEG) to open\n"
        "  MODEL          a second clip to compare FILE with, inserted as the model\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n");
}

QString VersionText() {
    return QStringLiteral("Varkelo " VARKELO_STR(VARKELO_VERSION_MAJOR) "." VARKELO_STR(
        VARKELO_VERSION_MINOR) "." VARKELO_STR(VARKELO_VERSION_BUILD) "." VARKELO_STR(VARKELO_VERSION_REVISION) "\n");
}
