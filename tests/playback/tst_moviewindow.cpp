// The movie commands: the texts they send to the media control and how they read its replies,
// then the preview box that plays a clip under the file list. The media control itself, and a
// real clip played in a window, are tested on their own.

#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "platform/WindowHandle.h"
#include "playback/MoviePreview.h"
#include "playback/MovieWindow.h"
#include "ui/Globals.h"

#include <QTest>
#include <QWidget>

#include <functional>

namespace {

const QString kSuccess = QStringLiteral("Success");
const QString kNotOpen = QStringLiteral("The specified device is not open or is not recognized by MCI.");

// Stands in for the media control: records every command and answers from a script (by
// default a device that opens anything and shows a 320 x 240 picture of 57 frames).
class CommandRecorder {
public:
    using Answer = std::pair<QString, QString>;  // status text, reply

    CommandRecorder() {
        previous_ = SetMciSender([this](const QString& command, QString* reply) {
            padded << command;
            commands << command.trimmed();
            const Answer a = answer(command.trimmed());
            if (reply) *reply = a.second;
            return a.first;
        });
    }
    ~CommandRecorder() { SetMciSender(previous_); }

    QStringList padded, commands;  // as sent, and without the padding
    std::function<Answer(const QString&)> answer = [](const QString& c) {
        if (c.startsWith(QLatin1String("Where "))) return Answer{kSuccess, QStringLiteral("0 0 320 240")};
        return Answer{kSuccess, c.startsWith(QLatin1String("status ")) ? QStringLiteral("57") : QString()};
    };

private:
    MciSender previous_;
};

QString openText(const QString& path, const QString& type, platform::WindowHandle parent) {
    return QStringLiteral("open %1 type %2 Alias movie parent %3 Style 1073741824")
        .arg(path, type)
        .arg(parent);
}

const QString kLength[] = {QStringLiteral("set movie time format frames"),
                           QStringLiteral("status movie length")};
const QString kWhere = QStringLiteral("Where movie destination");

// A call and its arguments, the status and reply every command gets, the commands sent and the result.
struct Call {
    QString call;
    QStringList args;
    QString status, reply;
    QStringList sent;
    QString result;
};

}  // namespace

Q_DECLARE_METATYPE(Call)

class TestMovieWindow : public QObject {
    Q_OBJECT
    Globals program_;

private Q_SLOTS:
    void init() {
        // A 1024 x 768 screen at 96 DPI: 154 and 115 twips to the layout unit.
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
        program_.ScreenUnitX = 154;
        program_.ScreenUnitY = 115;
    }
    void cleanup() { platform::OverrideScreenMetrics(std::nullopt); }

    // One call each: the commands it sends (padding removed) and what it makes of the answers,
    // every command answered with the same status and reply.
    void commandsAndReplies_data() {
        QTest::addColumn<Call>("c");
        const auto open = [](const char* name, const QString& path, const QString& written) {
            QTest::newRow(name) << Call{"open", {path}, kSuccess, "", {written}, kSuccess};
        };
        open("open: plain path", "/a/b.avi", openText("/a/b.avi", "AviVideo", 77));
        open("open: a space", "/my clips/swing ä.avi", openText("\"/my clips/swing ä.avi\"", "AviVideo", 77));
        open("open: a quote", "/a/say \"hi\".avi", openText("\"/a/say \"\"hi\"\".avi\"", "AviVideo", 77));
        open("open: empty path", "", openText("\"\"", "AviVideo", 77));
        const QString deep = "/clips/" + QString(300, u'x') + ".avi";  // longer than the limit: in whole
        open("open: a path past the limit", deep, openText(deep, "AviVideo", 77));

        const auto length = [](const char* name, const QString& status, const char* reply, int frames) {
            QTest::newRow(name) << Call{"length", {}, status, reply, {kLength[0], kLength[1]}, QString::number(frames)};
        };
        length("length: tie to even down", kSuccess, "56.5", 56);
        length("length: tie to even up", kSuccess, "57.5", 58);
        length("length: number then text", kSuccess, " 12 frames", 12);
        length("length: too large", kSuccess, "99999999999", -1);
        length("length: failed", kNotOpen, "57", -1);

        // To 0 (or no number) asks the length.
        const auto play = [](const char* name, QStringList args, const QString& status, const char* reply,
                             const QString& played) {
            const QStringList asked = args[1].toInt() ? QStringList{} : QStringList{kLength[0], kLength[1]};
            QTest::newRow(name) << Call{"play", args, status, reply, asked + QStringList{played}, status};
        };
        play("play: given frames", {"3", "8"}, kSuccess, "57", "play movie from 3 to 8");
        play("play: not numbers", {"abc", ""}, kSuccess, "57", "play movie from 0 to 57");
        play("play: length rounded", {"0", "0"}, kSuccess, "40.5", "play movie from 0 to 40");
        play("play: length unknown", {"0", "0"}, "no such device", "", "play movie from 0 to -1");

        const auto size = [](const char* name, const char* key, const QString& status, const char* reply, int px) {
            QTest::newRow(name) << Call{"size", {key}, status, reply, {kWhere}, QString::number(px)};
        };
        size("size: width", "cx", kSuccess, "0 0 320 240", 320);
        size("size: height", "cy", kSuccess, "0 0 320 240", 240);
        size("size: width not a number", "cx", kSuccess, "0 0 abc 240", -1);
        size("size: failed", "cx", "no device", "0 0 320 240", -1);
        QTest::newRow("size: no such key") << Call{"size", {"CX"}, kSuccess, "0 0 320 240", {}, "-1"};

        // A size of zero (either) takes the window's own, 200 x 150 here; the caller sees the size used.
        const auto put = [](const char* name, QStringList args, const char* sent, const char* used) {
            QTest::newRow(name) << Call{"put", args, kSuccess, "", {sent}, used};
        };
        put("put: sizes zero", {"box", "0", "0", "0", "0"}, "put movie window at 0 0 200 150", "200 150");
        put("put: one size zero", {"box", "4", "5", "0", "90"}, "put movie window at 4 5 200 150", "200 150");
        put("put: sizes given", {"box", "1", "2", "70", "80"}, "put movie window at 1 2 70 80", "70 80");
        put("put: no such window", {"123", "1", "2", "0", "0"}, "put movie window at 1 2 0 0", "0 0");

        // The preview box (205 x 153, its handle written 0 here) takes the picture's size; an
        // unknown side is skipped; a failed open changes nothing and asks nothing more.
        const auto box = [](const char* name, const QString& path, const QString& status, const char* where,
                            const char* fitted) {
            const QString type = path.endsWith(".avi") ? "AviVideo" : "MPEGVideo";
            const QStringList asked = status == kSuccess ? QStringList{kWhere, kWhere} : QStringList{};
            QTest::newRow(name) << Call{"box", {path}, status, where,
                                        QStringList{openText(path, type, 0)} + asked, fitted};
        };
        box("box: avi", "/clips/swing.avi", kSuccess, "0 0 320 240", "320 240");
        box("box: avi inside the name", "/clips/swing.avi.mov", kSuccess, "0 0 320 240", "320 240");
        box("box: height unknown", "/clips/swing.avi", kSuccess, "0 0 320 ?", "320 153");
        box("box: open fails", "/clips/gone.avi", "The specified file cannot be found.", "0 0 320 240", "205 153");
    }
    void commandsAndReplies() {
        QFETCH(Call, c);
        const QStringList& args = c.args;
        CommandRecorder rec;
        // One status for every command, but a box's open, and one reply, but to Where for a box.
        rec.answer = [&](const QString& command) {
            if (c.call != QLatin1String("box")) return CommandRecorder::Answer{c.status, c.reply};
            return CommandRecorder::Answer{command.startsWith("open") ? c.status : kSuccess,
                                           command.startsWith("Where") ? c.reply : ""};
        };
        QString result;
        QWidget box, main;
        box.resize(200, 150);
        main.resize(1000, 700);
        platform::PictureBox picVideo(&main);
        picVideo.setGeometry(23, 400, 205, 153);
        if (c.call == QLatin1String("open")) result = MovieOpen(77, "movie", args[0], "AviVideo");
        if (c.call == QLatin1String("length")) result = QString::number(MovieLengthFrames("movie"));
        if (c.call == QLatin1String("play")) result = MoviePlay("movie", args[0], args[1]);
        if (c.call == QLatin1String("size")) result = QString::number(MovieDestinationSize("movie", args[0]));
        if (c.call == QLatin1String("put")) {
            int32_t at[4] = {args[1].toInt(), args[2].toInt(), args[3].toInt(), args[4].toInt()};
            const platform::WindowHandle h = args[0] == QLatin1String("box") ? platform::HandleOf(&box) : 123;
            QCOMPARE(MoviePutWindow(h, "movie", at[0], at[1], at[2], at[3]), kSuccess);
            result = QStringLiteral("%1 %2").arg(at[2]).arg(at[3]);
        }
        if (c.call == QLatin1String("box")) {
            MoviePreview(program_, &picVideo, nullptr).OpenVideo(args[0]);
            result = QStringLiteral("%1 %2").arg(picVideo.width()).arg(picVideo.height());
            // The box keeps its place and the main window its size.
            QVERIFY(picVideo.pos() == QPoint(23, 400) && main.size() == QSize(1000, 700));
        }
        c.sent.replaceInStrings(" parent 0 ", QStringLiteral(" parent %1 ").arg(platform::HandleOf(&picVideo)));
        QCOMPARE(rec.commands, c.sent);
        QCOMPARE(result, c.result);
        if (c.call == QLatin1String("open"))  // padded to the command limit, never cut
            QCOMPARE(rec.padded[0].size(), std::max(qsizetype(kOpenCommandLength), rec.commands[0].size()));
    }

    void previewRunsTheWholeSequence() {
        CommandRecorder rec;
        QWidget main;
        main.resize(1000, 700);
        QWidget file1(&main);
        file1.setGeometry(20, 100, 205, 230);
        platform::PictureBox picVideo(&main);
        picVideo.hide();
        MoviePreview(program_, &picVideo, &file1).Preview("/my clips/swing ä.avi");
        QCOMPARE(
            rec.commands,
            (QStringList{"Stop movie", "Close movie",
                         openText("\"/my clips/swing ä.avi\"", "AviVideo", platform::HandleOf(&picVideo)),
                         kWhere, kWhere, "put movie window at 0 0 205 153", kLength[0], kLength[1],
                         "play movie from 0 to 57"}));
        // Under the file list: left 3 Y = 345 twips, top = list bottom + 115 twips,
        // 20 X by 20 Y = 3080 by 2300 twips.
        QCOMPARE(picVideo.geometry(), QRect(23, 330 + 8, 205, 153));
        QVERIFY(!picVideo.isHidden());
    }
};

QTEST_MAIN(TestMovieWindow)
#include "tst_moviewindow.moc"
