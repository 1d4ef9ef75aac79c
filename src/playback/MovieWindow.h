#pragma once
// Procedures that drive one media-control movie by command strings: open a clip in a
// child window, play it, stop, pause, resume, close, ask its length and picture size, and
// place its window. Each returns the status text "Success" or the error's text.

#include "platform/WindowHandle.h"

#include <QString>

#include <cstdint>
#include <functional>

// Sends one command; gives "Success" or an error text, and the device's answer in *reply.
using MciSender = std::function<QString(const QString& command, QString* reply)>;

// Replaces the media control the procedures talk to (tests record the commands). An empty
// sender restores the real one. Returns the previous sender.
MciSender SetMciSender(MciSender sender);

// The window style asking for a child window (WS_CHILD), in decimal.
inline constexpr int64_t kMovieChildStyle = 0x40000000;
// Command texts are padded with spaces to these lengths; longer ones are sent whole.
inline constexpr int kOpenCommandLength = 255;
inline constexpr int kPlayCommandLength = 128;
// Replies are read into buffers of this many characters.
inline constexpr int kReplyLength = 128;

QString MovieOpen(platform::WindowHandle hWnd, const QString& alias, const QString& path,
                  const QString& deviceType);
// from/to are texts; a numeric value of 0 means "frame 0" and "the clip's length".
QString MoviePlay(const QString& alias, QString from, QString to);
QString MovieStop(const QString& alias);
QString MovieClose(const QString& alias);
// The length in frames, or -1 when the device cannot tell.
int32_t MovieLengthFrames(const QString& alias);
// A width or height of 0 makes both the size of hWnd's window (and so tells the caller).
QString MoviePutWindow(platform::WindowHandle hWnd, const QString& alias, int32_t& left, int32_t& top,
                       int32_t& width, int32_t& height);
// The width ("cx") or height ("cy") of the picture, or -1.
int32_t MovieDestinationSize(const QString& alias, const QString& key);
QString MovieCloseAll();

// How a path is written into the open command: as it is when it has no white space or
// quotes, else in double quotes with any quote doubled. Never shortened.
QString MovieQuotedPath(const QString& path);
