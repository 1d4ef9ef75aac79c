#include "playback/MovieWindow.h"

#include "platform/MediaControl.h"
#include "platform/WindowHandle.h"

#include <QWidget>

#include <cmath>
#include <limits>
#include <optional>

namespace {

MciSender& sender() {
    static MciSender s;
    return s;
}

QString send(const QString& command, QString* reply = nullptr) {
    QString answer;
    const QString status = sender() ? sender()(command, &answer) : platform::MciStatusText(command, &answer);
    if (reply) *reply = answer.left(kReplyLength);
    return status;
}

// The platform limits command texts to fixed lengths. A Linux path can be far longer
// than any short path, so a longer command is sent whole rather than cut (a cut path
// would open another file or none); shorter ones are padded, which the interpreter ignores.
QString padded(QString command, int length) {
    if (command.size() < length) command += QString(length - command.size(), u' ');
    return command;
}

// The numeric value at the start of a text (leading blanks skipped); 0 when there is none.
double numericValue(const QString& text) {
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == u'+' || t[end] == u'-')) ++end;
    while (end < t.size() && t[end].isDigit()) ++end;
    if (end < t.size() && t[end] == u'.') {
        ++end;
        while (end < t.size() && t[end].isDigit()) ++end;
    }
    if (end + 1 < t.size() && (t[end] == u'e' || t[end] == u'E')) {
        qsizetype e = end + 1;
        if (e < t.size() && (t[e] == u'+' || t[e] == u'-')) ++e;
        if (e < t.size() && t[e].isDigit()) {
            while (e < t.size() && t[e].isDigit()) ++e;
            end = e;
        }
    }
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

// A whole 32-bit number, rounded half to even; none when out of range.
std::optional<int32_t> wholeNumber(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= double(std::numeric_limits<int32_t>::min()) &&
          r <= double(std::numeric_limits<int32_t>::max())))
        return std::nullopt;
    return int32_t(r);
}

// A size from a text that is only a number (blanks around it allowed).
std::optional<int32_t> sizeValue(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0) return std::nullopt;
    return wholeNumber(v);
}

}  // namespace

MciSender SetMciSender(MciSender s) {
    MciSender previous = std::move(sender());
    sender() = std::move(s);
    return previous;
}

QString MovieQuotedPath(const QString& path) {
    bool plain = !path.isEmpty();
    for (const QChar c : path) plain = plain && !c.isSpace() && c != u'"';
    if (plain) return path;
    QString quoted = path;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString MovieOpen(platform::WindowHandle hWnd, const QString& alias, const QString& path,
                  const QString& deviceType) {
    // No short path form exists here: the path goes in quoted when it needs to be.
    const QString command = QStringLiteral("open ") + MovieQuotedPath(path) + QStringLiteral(" type ") +
                            deviceType + QStringLiteral(" Alias ") + alias + QStringLiteral(" parent ") +
                            QString::number(hWnd) + QStringLiteral(" Style ") +
                            QString::number(kMovieChildStyle);
    return send(padded(command, kOpenCommandLength));
}

QString MoviePlay(const QString& alias, QString from, QString to) {
    if (numericValue(from) == 0) from = QStringLiteral("0");
    if (numericValue(to) == 0) to = QString::number(MovieLengthFrames(alias));
    return send(padded(
        QStringLiteral("play ") + alias + QStringLiteral(" from ") + from + QStringLiteral(" to ") + to,
        kPlayCommandLength));
}

QString MovieStop(const QString& alias) {
    return send(QStringLiteral("Stop ") + alias);
}

QString MovieClose(const QString& alias) {
    return send(QStringLiteral("Close ") + alias);
}

int32_t MovieLengthFrames(const QString& alias) {
    send(QStringLiteral("set ") + alias + QStringLiteral(" time format frames"));
    QString reply;
    if (send(QStringLiteral("status ") + alias + QStringLiteral(" length"), &reply) !=
        QLatin1String("Success"))
        return -1;
    return wholeNumber(numericValue(reply)).value_or(-1);
}

QString MoviePutWindow(platform::WindowHandle hWnd, const QString& alias, int32_t& left, int32_t& top,
                       int32_t& width, int32_t& height) {
    if (width == 0 || height == 0) {
        // The window's outer size on the screen; an unknown window measures 0 by 0.
        const QWidget* w = platform::WidgetOf(hWnd);
        const QSize size = w ? w->frameGeometry().size() : QSize(0, 0);
        width = size.width();
        height = size.height();
    }
    return send(QStringLiteral("put ") + alias + QStringLiteral(" window at ") + QString::number(left) +
                u' ' + QString::number(top) + u' ' + QString::number(width) + u' ' + QString::number(height));
}

int32_t MovieDestinationSize(const QString& alias, const QString& key) {
    if (key != QLatin1String("cx") && key != QLatin1String("cy")) return -1;
    QString reply;
    if (send(QStringLiteral("Where ") + alias + QStringLiteral(" destination"), &reply) !=
        QLatin1String("Success"))
        return -1;
    // "left top width height"
    const qsizetype p1 = reply.indexOf(u' ');
    const qsizetype p2 = p1 < 0 ? -1 : reply.indexOf(u' ', p1 + 1);
    const qsizetype p3 = p2 < 0 ? -1 : reply.indexOf(u' ', p2 + 1);
    if (p3 < 0) return -1;
    const QString text = key == QLatin1String("cx") ? reply.mid(p2, p3 - p2) : reply.mid(p3 + 1);
    return sizeValue(text).value_or(-1);
}

QString MovieCloseAll() {
    return send(QStringLiteral("Close All"));
}
