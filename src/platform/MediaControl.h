#pragma once
// The media control interface: devices driven by text commands, as the program's preview
// uses them. A device is opened on a clip under an alias and then addressed by it:
//
//   open <path> type AviVideo|MPEGVideo Alias <alias> parent <handle> Style <n>
//   play <alias> [from <f>] [to <t>]      Stop|Pause|Resume|Close <alias>      Close All
//   set <alias> time format frames|milliseconds      status <alias> length
//   put <alias> window at <left> <top> <width> <height>      Where <alias> destination
//
// Keywords and aliases ignore case. A path with spaces is written in double quotes (a
// quote inside it doubled); there is no short path form to fall back on. <handle> is a
// platform::HandleOf() number; the picture then plays in a child of that widget.
// Everything runs on the user-interface thread; play returns at once.

#include <QString>

#include <cstdint>

class QMediaPlayer;
class QVideoWidget;

namespace platform {

// Error numbers; 0 means the command was carried out.
enum MciError : uint32_t {
    MciNoError = 0,
    MciErrUnrecognizedKeyword = 259,
    MciErrUnrecognizedCommand = 261,
    MciErrInvalidDeviceName = 263,  // no device open under that alias
    MciErrCannotLoadDriver = 266,   // device type not supported
    MciErrMissingCommandString = 267,
    MciErrBadInteger = 270,
    MciErrMissingParameter = 273,
    MciErrFileNotFound = 275,
    MciErrCannotUseAll = 279,
    MciErrOutOfRange = 282,
    MciErrDuplicateAlias = 289,
    MciErrMissingDeviceName = 292,
    MciErrBadTimeFormat = 293,
    MciErrInvalidFile = 296,
    MciErrNoDecoder = 297,
    MciErrNoClosingQuote = 298,
    MciErrInvalidWindow = 299,
};

// Runs one command. A command that answers (status, where) puts its answer in *reply;
// reply is emptied otherwise.
uint32_t MciSendString(const QString& command, QString* reply = nullptr);
// The text of an error number (also for 0 and numbers this interface never returns).
QString MciGetErrorString(uint32_t error);
// Runs one command and gives "Success" or the error's text.
QString MciStatusText(const QString& command, QString* reply = nullptr);

// Inspection, for tests and diagnostics: the device open under an alias, or null.
QMediaPlayer* MciPlayer(const QString& alias);
QVideoWidget* MciWindow(const QString& alias);
int MciOpenDeviceCount();

}  // namespace platform
