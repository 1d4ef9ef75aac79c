#include "ClipWriter.h"
#include "platform/MediaControl.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "platform/WindowHandle.h"
#include "playback/MoviePreview.h"
#include "playback/MovieWindow.h"
#include "shell/Globals.h"

#include <QApplication>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>

namespace {

const QString kSuccess = QStringLiteral("Success");
const QString kNotOpen = QStringLiteral("The specified device is not open or is not recognized by MCI.");

// Stands in for the media control: records every command and answers from a script.
class CommandRecorder {
public:
    using Answer = std::pair<QString, QString>;  // status text, reply

    CommandRecorder() {
        previous_ = SetMciSender([this](const QString& command, QString* reply) {
            commands << command;
            const Answer a = answer ? answer(command.trimmed()) : Answer{kSuccess, QString()};
            if (reply) *reply = a.second;
            return a.first;
        });
    }
    ~CommandRecorder() { SetMciSender(previous_); }
    CommandRecorder(const CommandRecorder&) = delete;
    CommandRecorder& operator=(const CommandRecorder&) = delete;

    // Commands as sent, padding removed (padding is checked on its own).
    QStringList trimmed() const {
        QStringList out;
        for (const QString& c : commands) out << c.trimmed();
        return out;
    }

    QStringList commands;
    std::function<Answer(const QString&)> answer;

private:
    MciSender previous_;
};

// A device that opens anything, reports a 320 x 240 picture of `length` frames.
CommandRecorder::Answer deviceAnswer(const QString& command, const QString& length = QStringLiteral("57")) {
    if (command.startsWith(QLatin1String("Where "))) return {kSuccess, QStringLiteral("0 0 320 240")};
    if (command.startsWith(QLatin1String("status "))) return {kSuccess, length};
    return {kSuccess, QString()};
}

// One row of a data table.
template <typename... Cells>
void row(const char* name, const Cells&... cells) {
    (QTest::newRow(name) << ... << cells);
}

QString openText(const QString& path, const QString& type, platform::WindowHandle parent) {
    return QStringLiteral("open %1 type %2 Alias movie parent %3 Style 1073741824")
        .arg(path, type)
        .arg(parent);
}

}  // namespace

class TestMovieWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init() {
        // A 1024 x 768 screen at 96 DPI: 154 and 115 twips to the layout unit.
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
        G().ScreenUnitX = 154;
        G().ScreenUnitY = 115;
    }
    void cleanup() {
        platform::MciSendString(QStringLiteral("Close All"));
        platform::OverrideScreenMetrics(std::nullopt);
        G() = Globals{};
    }

    void openCommandIsPaddedNeverCut() {
        CommandRecorder rec;
        QCOMPARE(MovieOpen(77, "movie", "/clips/swing.avi", "AviVideo"), kSuccess);
        QCOMPARE(rec.commands, QStringList{openText("/clips/swing.avi", "AviVideo", 77).leftJustified(255)});
        // A path longer than the whole command limit goes in whole.
        const QString deep = "/clips/" + QString(300, u'x') + ".avi";
        MovieOpen(77, "movie", deep, "AviVideo");
        QCOMPARE(rec.commands[1], openText(deep, "AviVideo", 77));
    }

    void pathsAreQuotedWhenTheyMustBe_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("written");
        row("plain", "/a/b.avi", "/a/b.avi");
        row("space", "/my clips/swing ä.avi", "\"/my clips/swing ä.avi\"");
        row("quote", "/a/say \"hi\".avi", "\"/a/say \"\"hi\"\".avi\"");
        row("empty", "", "\"\"");
    }
    void pathsAreQuotedWhenTheyMustBe() {
        QFETCH(QString, path);
        QFETCH(QString, written);
        QCOMPARE(MovieQuotedPath(path), written);
        CommandRecorder rec;
        MovieOpen(5, "movie", path, "MPEGVideo");
        QVERIFY(rec.commands[0].startsWith("open " + written + " type MPEGVideo "));
    }

    void playToZeroAsksTheLength_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("statusAnswer");  // empty: the status command fails
        QTest::addColumn<QString>("play");
        row("not numbers", "abc", "", "57", "play movie from 0 to 57");
        row("length rounded", "0", "0", "40.5", "play movie from 0 to 40");
        row("length unknown", "0", "0", "", "play movie from 0 to -1");
    }
    void playToZeroAsksTheLength() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, statusAnswer);
        QFETCH(QString, play);
        CommandRecorder rec;
        rec.answer = [&](const QString& c) {
            if (c.startsWith("status"))
                return statusAnswer.isEmpty() ? CommandRecorder::Answer{"no such device", QString()}
                                              : CommandRecorder::Answer{kSuccess, statusAnswer};
            return CommandRecorder::Answer{kSuccess, QString()};
        };
        MoviePlay("movie", from, to);
        QCOMPARE(rec.trimmed(), (QStringList{"set movie time format frames", "status movie length", play}));
    }

    void lengthFromTheReply_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("frames");
        QTest::newRow("tie to even down") << kSuccess << "56.5" << 56;
        QTest::newRow("tie to even up") << kSuccess << "57.5" << 58;
        QTest::newRow("number then text") << kSuccess << " 12 frames" << 12;
        QTest::newRow("no number") << kSuccess << "" << 0;
        QTest::newRow("too large") << kSuccess << "99999999999" << -1;
        QTest::newRow("failed") << kNotOpen << "57" << -1;
    }
    void lengthFromTheReply() {
        QFETCH(QString, status);
        QFETCH(QString, reply);
        QFETCH(int, frames);
        CommandRecorder rec;
        rec.answer = [&](const QString&) { return CommandRecorder::Answer{status, reply}; };
        QCOMPARE(MovieLengthFrames("movie"), frames);
        QCOMPARE(rec.commands, (QStringList{"set movie time format frames", "status movie length"}));
    }

    void destinationSizeFromTheReply_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("cx");
        QTest::addColumn<int>("cy");
        QTest::newRow("clip") << kSuccess << "0 0 320 240" << 320 << 240;
        QTest::newRow("width not a number") << kSuccess << "0 0 abc 240" << -1 << 240;
        QTest::newRow("height not a number") << kSuccess << "0 0 320 tall" << 320 << -1;
        QTest::newRow("failed") << "no device"
                                << "0 0 320 240" << -1 << -1;
    }
    void destinationSizeFromTheReply() {
        QFETCH(QString, status);
        QFETCH(QString, reply);
        QFETCH(int, cx);
        QFETCH(int, cy);
        CommandRecorder rec;
        rec.answer = [&](const QString&) { return CommandRecorder::Answer{status, reply}; };
        QCOMPARE(MovieDestinationSize("movie", "cx"), cx);
        QCOMPARE(MovieDestinationSize("movie", "cy"), cy);
        QCOMPARE(rec.commands, (QStringList{"Where movie destination", "Where movie destination"}));
        QCOMPARE(MovieDestinationSize("movie", "CX"), -1);
        QCOMPARE(MovieDestinationSize("movie", "width"), -1);
    }

    void putWindowFillsTheWindowWhenASizeIsZero() {
        CommandRecorder rec;
        QWidget box;
        box.resize(200, 150);
        const platform::WindowHandle h = platform::HandleOf(&box);
        int32_t l = 0, t = 0, w = 0, ht = 0;
        QCOMPARE(MoviePutWindow(h, "movie", l, t, w, ht), kSuccess);
        QCOMPARE(QSize(w, ht), QSize(200, 150));  // the caller sees the size used
        l = 4, t = 5, w = 0, ht = 90;             // one zero replaces both
        MoviePutWindow(h, "movie", l, t, w, ht);
        l = 1, t = 2, w = 70, ht = 80;
        MoviePutWindow(h, "movie", l, t, w, ht);
        QCOMPARE(w, 70);
        w = 0;
        MoviePutWindow(123, "movie", l, t, w, ht);  // no such window
        QCOMPARE(rec.commands,
                 (QStringList{"put movie window at 0 0 200 150", "put movie window at 4 5 200 150",
                              "put movie window at 1 2 70 80", "put movie window at 1 2 0 0"}));
    }

    void openVideoSizesTheBoxToThePicture_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("openStatus");
        QTest::addColumn<QString>("where");  // the destination the device reports
        QTest::addColumn<QRect>("geometry");
        const QRect fitted(23, 400, 320, 240);
        QTest::newRow("avi") << "/clips/swing.avi"
                             << "AviVideo" << kSuccess << "0 0 320 240" << fitted;
        QTest::newRow("avi inside the name") << "/clips/swing.avi.mov"
                                             << "MPEGVideo" << kSuccess << "0 0 320 240" << fitted;
        // An unknown side is skipped; a failed open changes nothing and asks nothing more.
        QTest::newRow("height unknown") << "/clips/swing.avi"
                                        << "AviVideo" << kSuccess << "0 0 320 ?" << QRect(23, 400, 320, 153);
        QTest::newRow("open fails") << "/clips/gone.avi"
                                    << "AviVideo"
                                    << "The specified file cannot be found."
                                    << "0 0 320 240" << QRect(23, 400, 205, 153);
    }
    void openVideoSizesTheBoxToThePicture() {
        QFETCH(QString, path);
        QFETCH(QString, type);
        QFETCH(QString, openStatus);
        QFETCH(QString, where);
        QFETCH(QRect, geometry);
        CommandRecorder rec;
        rec.answer = [&](const QString& c) {
            return CommandRecorder::Answer{c.startsWith("open") ? openStatus : kSuccess,
                                           c.startsWith("Where") ? where : QString()};
        };
        QWidget main;
        main.resize(1000, 700);
        platform::PictureBox picVideo(&main);
        picVideo.setGeometry(23, 400, 205, 153);
        MoviePreview(&picVideo, nullptr).OpenVideo(path);
        QStringList expected{openText(path, type, platform::HandleOf(&picVideo))};
        if (openStatus == kSuccess)
            expected << "Where movie destination"
                     << "Where movie destination";
        QCOMPARE(rec.trimmed(), expected);
        QCOMPARE(picVideo.geometry(), geometry);
        QCOMPARE(main.size(), QSize(1000, 700));  // the main window keeps its size
    }

    void previewRunsTheWholeSequence() {
        CommandRecorder rec;
        rec.answer = [](const QString& c) { return deviceAnswer(c, "42"); };
        QWidget main;
        main.resize(1000, 700);
        QWidget file1(&main);
        file1.setGeometry(20, 100, 205, 230);
        platform::PictureBox picVideo(&main);
        picVideo.hide();
        MoviePreview preview(&picVideo, &file1);
        preview.Preview("/my clips/swing ä.avi");
        QCOMPARE(rec.trimmed(),
                 (QStringList{
                     "Stop movie", "Close movie",
                     openText("\"/my clips/swing ä.avi\"", "AviVideo", platform::HandleOf(&picVideo)),
                     "Where movie destination", "Where movie destination", "put movie window at 0 0 205 153",
                     "set movie time format frames", "status movie length", "play movie from 0 to 42"}));
        // Under the file list: left 3 Y = 345 twips, top = list bottom + 115 twips,
        // 20 X by 20 Y = 3080 by 2300 twips.
        QCOMPARE(picVideo.geometry(), QRect(23, 330 + 8, 205, 153));
        QVERIFY(!picVideo.isHidden());
    }

    void previewWithoutItsBoxOpensNothing() {
        QVERIFY(m_dir.isValid());
        const QString clip = m_dir.filePath(QStringLiteral("boxless.avi"));
        QVERIFY(cliptools::WriteClip(clip, {64, 48}, 5,
                                     [](int n) { return cliptools::NumberedFrame(n, 64, 48); }));
        auto picVideo = std::make_unique<platform::PictureBox>();
        MoviePreview preview(picVideo.get(), nullptr);
        picVideo.reset();
        // Handle 0 names no window: the device refuses the open, so no movie plays in a
        // window of its own and nothing is left open.
        const QWidgetList before = QApplication::topLevelWidgets();
        preview.Preview(clip);
        QCOMPARE(platform::MciOpenDeviceCount(), 0);
        QCOMPARE(MovieStop(MoviePreview::kAlias), kNotOpen);
        QCOMPARE(QApplication::topLevelWidgets(), before);
    }

    void realPreviewPlaysInsideTheBox() {
        QVERIFY(m_dir.isValid());
        const QString clip = m_dir.filePath(QStringLiteral("swing ä.avi"));
        cliptools::ClipSpec clipFormat;
        clipFormat.width = 96;
        clipFormat.height = 72;
        QVERIFY(cliptools::WriteClip(clip, clipFormat, 50,
                                     [](int n) { return cliptools::NumberedFrame(n, 96, 72); }));

        QWidget main;
        main.resize(1000, 700);
        QWidget file1(&main);
        file1.setGeometry(20, 100, 205, 230);
        platform::PictureBox picVideo(&main);
        main.show();
        MoviePreview preview(&picVideo, &file1);

        preview.OpenVideo(clip);
        QCOMPARE(picVideo.size(), QSize(96, 72));

        preview.PlayVideo();
        QVideoWidget* window = platform::MciWindow(MoviePreview::kAlias);
        QMediaPlayer* player = platform::MciPlayer(MoviePreview::kAlias);
        QVERIFY(window && player);
        QCOMPARE(window->parentWidget(), &picVideo);
        QCOMPARE(window->geometry(), QRect(0, 0, 205, 153));
        QVERIFY(window->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(
            player->playbackState() == QMediaPlayer::PlayingState || player->error() != QMediaPlayer::NoError,
            10000);
        if (player->error() != QMediaPlayer::NoError)
            QSKIP(qPrintable(QStringLiteral("the media backend cannot play here: ") + player->errorString()));
        QCOMPARE(player->playbackState(), QMediaPlayer::PlayingState);

        // A second click replaces the preview; the shut-down closes it.
        preview.Preview(clip);
        QCOMPARE(platform::MciOpenDeviceCount(), 1);
        QCOMPARE(picVideo.findChildren<QVideoWidget*>().size(), 1);
        QCOMPARE(MovieCloseAll(), kSuccess);
        QCOMPARE(platform::MciOpenDeviceCount(), 0);
        QCOMPARE(picVideo.findChildren<QVideoWidget*>().size(), 0);
        QCOMPARE(MovieStop(MoviePreview::kAlias), kNotOpen);
    }
};

// Under the sanitizers: GStreamer's pipeline threads keep Qt Multimedia's video window
// objects (and PulseAudio's device list) until the process ends. Full stacks let the
// suppressions for those system libraries recognise them; the fast unwinder stops at the
// first library frame and would report them as ours.
extern "C" __attribute__((used)) const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

QTEST_MAIN(TestMovieWindow)
#include "tst_moviewindow.moc"
