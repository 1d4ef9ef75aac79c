#include "platform/MediaControl.h"

#include "platform/MciDevice.h"
#include "platform/MediaProbe.h"
#include "platform/WindowHandle.h"

#include <QApplication>
#include <QStringList>

#include <limits>
#include <map>
#include <memory>
#include <optional>

namespace platform {
namespace {

using Devices = std::map<QString, std::unique_ptr<MciDevice>>;

Devices& devices() {
    static Devices table;
    return table;
}

void closeAll() {
    devices().clear();
}

// Players must not outlive the application object: close what is still open when it goes.
void closeAllAtExit() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    qAddPostRoutine(closeAll);
}

QString keyOf(const QString& alias) {
    return alias.toLower();
}

MciDevice* find(const QString& alias) {
    const auto it = devices().find(keyOf(alias));
    return it == devices().end() ? nullptr : it->second.get();
}

bool is(const QString& token, const char* keyword) {
    return token.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// Splits a command at white space. A token in double quotes may hold white space; a
// doubled quote inside it stands for one quote.
bool tokenize(const QString& command, QStringList* tokens) {
    const qsizetype n = command.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && command[i].isSpace()) ++i;
        if (i >= n) return true;
        QString token;
        if (command[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (command[i] == u'"') {
                    if (i + 1 < n && command[i + 1] == u'"') {
                        token += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                token += command[i++];
            }
            if (!closed) return false;
        } else {
            while (i < n && !command[i].isSpace()) token += command[i++];
        }
        tokens->append(token);
    }
}

// A decimal whole number within [lo, hi]; no sign unless lo is negative.
std::optional<int64_t> integer(const QString& token, int64_t lo, int64_t hi) {
    bool ok = false;
    const qlonglong v = token.toLongLong(&ok, 10);
    if (!ok || v < lo || v > hi) return std::nullopt;
    if (lo >= 0 && token.startsWith(u'+')) return std::nullopt;
    return int64_t(v);
}

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();

uint32_t open(const QStringList& t) {
    if (t.size() < 2) return MciErrMissingDeviceName;
    const QString path = t[1];
    QString type, alias = path;
    QWidget* parent = nullptr;
    for (qsizetype i = 2; i < t.size(); i += 2) {
        const QString& key = t[i];
        if (!is(key, "type") && !is(key, "alias") && !is(key, "parent") && !is(key, "style"))
            return MciErrUnrecognizedKeyword;
        if (i + 1 >= t.size()) return MciErrMissingParameter;
        const QString& value = t[i + 1];
        if (is(key, "type")) {
            type = value;
        } else if (is(key, "alias")) {
            alias = value;
        } else if (is(key, "parent")) {
            const auto handle = integer(value, kInt32Min, kInt32Max);
            if (!handle) return MciErrBadInteger;
            parent = WidgetOf(WindowHandle(*handle));
            if (!parent) return MciErrInvalidWindow;
        } else {
            // The window style only asks for a child window, which a parent already gives.
            if (!integer(value, 0, std::numeric_limits<uint32_t>::max())) return MciErrBadInteger;
        }
    }
    // Without a type the platform goes by the file's extension.
    if (type.isEmpty())
        type = path.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive) ? "AviVideo" : "MPEGVideo";
    const bool avi = is(type, "avivideo");
    if (!avi && !is(type, "mpegvideo")) return MciErrCannotLoadDriver;
    if (alias.isEmpty()) return MciErrMissingDeviceName;
    if (is(alias, "all")) return MciErrCannotUseAll;
    if (find(alias)) return MciErrDuplicateAlias;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return MciErrCannotLoadDriver;

    MediaInfo info;
    switch (ProbeMedia(path, avi, &info)) {
        case ProbeResult::Ok:
            break;
        case ProbeResult::NotFound:
            return MciErrFileNotFound;
        case ProbeResult::NoDecoder:
            return MciErrNoDecoder;
        case ProbeResult::NotMedia:
        case ProbeResult::NoVideo:
            return MciErrInvalidFile;
    }
    closeAllAtExit();
    devices().emplace(keyOf(alias), std::make_unique<MciDevice>(path, info, parent));
    return MciNoError;
}

uint32_t play(MciDevice& d, const QStringList& t) {
    std::optional<int64_t> from, to;
    for (qsizetype i = 2; i < t.size(); i += 2) {
        if (!is(t[i], "from") && !is(t[i], "to")) return MciErrUnrecognizedKeyword;
        if (i + 1 >= t.size()) return MciErrMissingParameter;
        const auto v = integer(t[i + 1], 0, std::numeric_limits<int64_t>::max());
        if (!v) return MciErrBadInteger;
        (is(t[i], "from") ? from : to) = *v;
    }
    return d.Play(from, to) ? MciNoError : MciErrOutOfRange;
}

uint32_t set(MciDevice& d, const QStringList& t) {
    if (t.size() < 4 || !is(t[2], "time") || !is(t[3], "format"))
        return t.size() < 3 ? MciErrMissingParameter : MciErrUnrecognizedKeyword;
    if (t.size() < 5) return MciErrMissingParameter;
    if (t.size() > 5) return MciErrUnrecognizedKeyword;
    if (is(t[4], "frames"))
        d.SetFormat(MciDevice::TimeFormat::Frames);
    else if (is(t[4], "milliseconds") || is(t[4], "ms"))
        d.SetFormat(MciDevice::TimeFormat::Milliseconds);
    else
        return MciErrBadTimeFormat;
    return MciNoError;
}

uint32_t status(MciDevice& d, const QStringList& t, QString* reply) {
    if (t.size() < 3) return MciErrMissingParameter;
    if (t.size() > 3 || !is(t[2], "length")) return MciErrUnrecognizedKeyword;
    *reply = QString::number(d.Length());
    return MciNoError;
}

uint32_t put(MciDevice& d, const QStringList& t) {
    if (t.size() < 4) return MciErrMissingParameter;
    if (!is(t[2], "window") || !is(t[3], "at")) return MciErrUnrecognizedKeyword;
    if (t.size() < 8) return MciErrMissingParameter;
    if (t.size() > 8) return MciErrUnrecognizedKeyword;
    const auto left = integer(t[4], kInt32Min, kInt32Max);
    const auto top = integer(t[5], kInt32Min, kInt32Max);
    const auto width = integer(t[6], 0, kInt32Max);
    const auto height = integer(t[7], 0, kInt32Max);
    if (!left || !top || !width || !height) return MciErrBadInteger;
    d.PutWindow(QRect(int(*left), int(*top), int(*width), int(*height)));
    return MciNoError;
}

uint32_t where(MciDevice& d, const QStringList& t, QString* reply) {
    if (t.size() < 3) return MciErrMissingParameter;
    if (t.size() > 3 || !is(t[2], "destination")) return MciErrUnrecognizedKeyword;
    const QRect r = d.Destination();
    *reply = QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    return MciNoError;
}

uint32_t run(const QString& command, QString* reply) {
    QStringList t;
    if (!tokenize(command, &t)) return MciErrNoClosingQuote;
    if (t.isEmpty()) return MciErrMissingCommandString;
    const QString& verb = t[0];
    if (is(verb, "open")) return open(t);

    static const char* const kDeviceVerbs[] = {"close", "play",   "stop", "pause", "resume",
                                               "set",   "status", "put",  "where"};
    bool known = false;
    for (const char* v : kDeviceVerbs) known = known || is(verb, v);
    if (!known) return MciErrUnrecognizedCommand;
    if (t.size() < 2) return MciErrMissingDeviceName;
    if (is(t[1], "all")) {
        if (!is(verb, "close")) return MciErrCannotUseAll;
        if (t.size() > 2) return MciErrUnrecognizedKeyword;
        closeAll();
        return MciNoError;
    }
    MciDevice* d = find(t[1]);
    if (!d) return MciErrInvalidDeviceName;

    if (is(verb, "play")) return play(*d, t);
    if (is(verb, "set")) return set(*d, t);
    if (is(verb, "status")) return status(*d, t, reply);
    if (is(verb, "put")) return put(*d, t);
    if (is(verb, "where")) return where(*d, t, reply);
    if (t.size() > 2) return MciErrUnrecognizedKeyword;
    if (is(verb, "close"))
        devices().erase(keyOf(t[1]));
    else if (is(verb, "stop"))
        d->Stop();
    else if (is(verb, "pause"))
        d->Pause();
    else
        d->Resume();
    return MciNoError;
}

}  // namespace

uint32_t MciSendString(const QString& command, QString* reply) {
    QString answer;
    const uint32_t error = run(command, &answer);
    if (reply) *reply = error == MciNoError ? answer : QString();
    return error;
}

QString MciGetErrorString(uint32_t error) {
    switch (error) {
        case MciNoError:
            return QStringLiteral("The specified command was carried out.");
        case MciErrUnrecognizedKeyword:
            return QStringLiteral("The command contains a keyword this device does not recognize.");
        case MciErrUnrecognizedCommand:
            return QStringLiteral("The specified command is not recognized.");
        case MciErrInvalidDeviceName:
            return QStringLiteral("The specified device is not open or is not recognized by MCI.");
        case MciErrCannotLoadDriver:
            return QStringLiteral("The device type is not supported. Use AviVideo or MPEGVideo.");
        case MciErrMissingCommandString:
            return QStringLiteral("The command string is empty.");
        case MciErrBadInteger:
            return QStringLiteral("A number in the command is not a whole number or is out of range.");
        case MciErrMissingParameter:
            return QStringLiteral("The command is missing a required parameter.");
        case MciErrFileNotFound:
            return QStringLiteral("The specified file cannot be found. Check the path and file name.");
        case MciErrCannotUseAll:
            return QStringLiteral("The device name \"all\" can only be used with the close command.");
        case MciErrOutOfRange:
            return QStringLiteral("The position is outside the length of the clip.");
        case MciErrDuplicateAlias:
            return QStringLiteral("The alias is already used by another open device.");
        case MciErrMissingDeviceName:
            return QStringLiteral("The command needs a device name or alias.");
        case MciErrBadTimeFormat:
            return QStringLiteral("The time format is not recognized. Use frames or milliseconds.");
        case MciErrInvalidFile:
            return QStringLiteral("The file is not a video clip this device can play.");
        case MciErrNoDecoder:
            return QStringLiteral("The clip's video is in a format no installed decoder can read.");
        case MciErrNoClosingQuote:
            return QStringLiteral("A closing quotation mark is missing.");
        case MciErrInvalidWindow:
            return QStringLiteral("The parent window handle does not name a window of this program.");
        default:
            return QStringLiteral("Unknown media control error %1.").arg(error);
    }
}

QString MciStatusText(const QString& command, QString* reply) {
    const uint32_t error = MciSendString(command, reply);
    return error == MciNoError ? QStringLiteral("Success") : MciGetErrorString(error);
}

QMediaPlayer* MciPlayer(const QString& alias) {
    MciDevice* d = find(alias);
    return d ? d->Player() : nullptr;
}

QVideoWidget* MciWindow(const QString& alias) {
    MciDevice* d = find(alias);
    return d ? d->Window() : nullptr;
}

int MciOpenDeviceCount() {
    return int(devices().size());
}

}  // namespace platform
