#include "ClipWriter.h"
#include "platform/MediaControl.h"
#include "platform/WindowHandle.h"

#include <QFile>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>
#include <QWidget>

#include <memory>

using platform::MciSendString;
using platform::MciStatusText;

namespace {

const QString kSuccess = QStringLiteral("Success");
const QString kNotOpen = QStringLiteral("The specified device is not open or is not recognized by MCI.");

QString quoted(const QString& path) {
    return u'"' + path + u'"';
}

}  // namespace

class TestMediaControl : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;     // 64 x 48, 10 frames at 25 per second
    QString m_long;     // 80 x 60, 75 frames at 25 per second
    QString m_spaced;   // same clip as m_clip, spaces and a non-ASCII letter in its name
    QString m_notClip;  // text with an .avi name
    std::unique_ptr<QWidget> m_parent;

    QString writeClip(const QString& name, int width, int height, int frames) {
        cliptools::ClipSpec clipFormat;
        clipFormat.width = width;
        clipFormat.height = height;
        const QString file = m_dir.filePath(name);
        QString error;
        if (!cliptools::WriteClip(
                file, clipFormat, frames, [&](int n) { return cliptools::NumberedFrame(n, width, height); },
                &error))
            qWarning() << "clip not written:" << error;
        return file;
    }

    QString openCommand(const QString& path, const QString& alias = QStringLiteral("movie"),
                        const QString& type = QStringLiteral("AviVideo")) const {
        return QStringLiteral("open %1 type %2 Alias %3 parent %4 Style 1073741824")
            .arg(path, type, alias)
            .arg(platform::HandleOf(m_parent.get()));
    }

    // The reply to a command, or its status text when it fails.
    static QString reply(const char* command) {
        QString text;
        const QString status = MciStatusText(QString::fromUtf8(command), &text);
        return status == kSuccess ? text : status;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_clip = writeClip(QStringLiteral("swing.avi"), 64, 48, 10);
        m_long = writeClip(QStringLiteral("long.avi"), 80, 60, 75);
        m_spaced = m_dir.filePath(QStringLiteral("swing ä \"1\".avi"));
        QVERIFY(QFile::copy(m_clip, m_spaced));
        m_notClip = m_dir.filePath(QStringLiteral("notes.avi"));
        QFile text(m_notClip);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a clip at all\n");
    }

    // A device still open when the program ends is closed with the application object
    // (under the sanitizers this shows the player is not left to outlive it).
    void cleanupTestCase() {
        m_parent = std::make_unique<QWidget>();
        QCOMPARE(MciStatusText(openCommand(m_clip, QStringLiteral("\"left open\""))), kSuccess);
        QCOMPARE(MciStatusText(QStringLiteral("play \"left open\"")), kSuccess);
        m_parent.reset();
    }

    void init() {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(300, 200);
    }

    void cleanup() {
        QCOMPARE(MciStatusText(QStringLiteral("Close All")), kSuccess);
        QCOMPARE(platform::MciOpenDeviceCount(), 0);
        m_parent.reset();
    }

    // Every way of naming a clip and a device: the device answers its size and length.
    void openAnswersSizeAndLength() {
        QCOMPARE(MciStatusText(openCommand(m_clip)), kSuccess);
        // Milliseconds until told otherwise: 10 frames at 25 per second.
        QCOMPARE(reply("status movie length"), QStringLiteral("400"));
        QCOMPARE(MciStatusText(QStringLiteral("set movie time format frames")), kSuccess);
        QCOMPARE(reply("status movie length"), QStringLiteral("10"));
        QCOMPARE(reply("Where movie destination"), QStringLiteral("0 0 64 48"));
        QVideoWidget* window = platform::MciWindow(QStringLiteral("movie"));
        QVERIFY(window);
        QCOMPARE(window->parentWidget(), m_parent.get());
        QVERIFY(window->isHidden());  // shown by the first play
        QCOMPARE(window->geometry(), QRect(0, 0, 64, 48));
        QCOMPARE(MciStatusText(QStringLiteral("close movie")), kSuccess);

        // The MPEG type reads any container.
        QCOMPARE(MciStatusText(openCommand(m_long, QStringLiteral("m"), QStringLiteral("MPEGVideo"))),
                 kSuccess);
        QCOMPARE(MciStatusText(QStringLiteral("set m time format frames")), kSuccess);
        QCOMPARE(reply("status m length"), QStringLiteral("75"));
        QCOMPARE(MciStatusText(QStringLiteral("close m")), kSuccess);

        // Paths with spaces, quotes and letters beyond ASCII; the doubled quote stands for
        // the quote in the file name.
        QString path = m_spaced;
        path.replace(u'"', QStringLiteral("\"\""));
        QCOMPARE(MciStatusText(openCommand(quoted(path))), kSuccess);
        // Commands and aliases ignore case.
        QCOMPARE(MciStatusText(QStringLiteral("CLOSE MOVIE")), kSuccess);
        QCOMPARE(platform::MciOpenDeviceCount(), 0);
    }

    void errorsHaveTheirTexts_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<uint32_t>("error");
        const auto row = [](const char* name, const QString& command, platform::MciError error) {
            QTest::newRow(name) << command << uint32_t(error);
        };
        row("play unknown", "play nosuch from 0 to 1", platform::MciErrInvalidDeviceName);
        row("status unknown", "status nosuch length", platform::MciErrInvalidDeviceName);
        row("open missing file", "open /nonexistent/dir/clip.avi type AviVideo Alias m",
            platform::MciErrFileNotFound);
        row("open bad parent", "open /nonexistent/clip.avi type AviVideo Alias m parent 12",
            platform::MciErrInvalidWindow);
    }
    void errorsHaveTheirTexts() {
        QFETCH(QString, command);
        QFETCH(uint32_t, error);
        QString reply = QStringLiteral("stale");
        QCOMPARE(MciSendString(command, &reply), error);
        QVERIFY(reply.isEmpty());
        const QString text = MciStatusText(command);
        QCOMPARE(text, platform::MciGetErrorString(error));
        QVERIFY(text != kSuccess);
        QVERIFY(!text.startsWith(QLatin1String("Unknown media control error")));
    }

    void openRefusals() {
        QCOMPARE(MciSendString(openCommand(m_notClip)), uint32_t(platform::MciErrInvalidFile));
        QCOMPARE(MciSendString(openCommand(m_dir.filePath(QStringLiteral("gone.avi")))),
                 uint32_t(platform::MciErrFileNotFound));
        QCOMPARE(platform::MciOpenDeviceCount(), 0);

        QCOMPARE(MciStatusText(openCommand(m_clip)), kSuccess);
        QCOMPARE(MciSendString(openCommand(m_long, QStringLiteral("MOVIE"))),
                 uint32_t(platform::MciErrDuplicateAlias));
        QCOMPARE(platform::MciOpenDeviceCount(), 1);
    }

    void commandsOnAnOpenDevice() {
        QCOMPARE(MciStatusText(openCommand(m_clip)), kSuccess);
        using namespace platform;
        QCOMPARE(MciSendString("set movie time format frames"), uint32_t(MciNoError));
        // Beyond the clip's length, or a length the device could not tell.
        const std::pair<const char*, MciError> refused[] = {
            {"play movie from 0 to 11", MciErrOutOfRange},
            {"play movie from 0 to -1", MciErrBadInteger},
        };
        for (const auto& [command, error] : refused) {
            const uint32_t got = MciSendString(command);
            QVERIFY2(got == uint32_t(error), qPrintable(QStringLiteral("%1 gave %2").arg(command).arg(got)));
        }
        // Refused commands change nothing: the window is still unplaced and hidden.
        QVERIFY(platform::MciWindow(QStringLiteral("movie"))->isHidden());
        QCOMPARE(platform::MciWindow(QStringLiteral("movie"))->geometry(), QRect(0, 0, 64, 48));
        for (const char* command : {"Stop movie", "Close movie"})
            QCOMPARE(MciSendString(command), uint32_t(MciNoError));
        QCOMPARE(MciSendString("Close movie"), uint32_t(MciErrInvalidDeviceName));
    }

    void putPlacesTheWindowInItsParent() {
        QCOMPARE(MciStatusText(openCommand(m_clip)), kSuccess);
        QVideoWidget* window = platform::MciWindow(QStringLiteral("movie"));
        QCOMPARE(MciStatusText(QStringLiteral("put movie window at 5 6 200 150")), kSuccess);
        QCOMPARE(window->geometry(), QRect(5, 6, 200, 150));
        QCOMPARE(reply("Where movie destination"), QStringLiteral("0 0 200 150"));
        // A size of 0 takes the clip's own.
        QCOMPARE(MciStatusText(QStringLiteral("put movie window at 0 0 0 0")), kSuccess);
        QCOMPARE(window->geometry(), QRect(0, 0, 64, 48));

        // The device outlives its parent window: it still answers and closes cleanly.
        m_parent.reset();
        QVERIFY(!platform::MciWindow(QStringLiteral("movie")));
        QCOMPARE(MciStatusText(QStringLiteral("put movie window at 0 0 10 10")), kSuccess);
        QCOMPARE(reply("Where movie destination"), QStringLiteral("0 0 64 48"));
        QCOMPARE(MciStatusText(QStringLiteral("Close movie")), kSuccess);
        m_parent = std::make_unique<QWidget>();
    }

    void closeAllClosesEveryDevice() {
        QCOMPARE(MciStatusText(QStringLiteral("Close All")), kSuccess);  // nothing open
        QCOMPARE(MciStatusText(openCommand(m_clip, QStringLiteral("one"))), kSuccess);
        QCOMPARE(MciStatusText(openCommand(m_long, QStringLiteral("two"))), kSuccess);
        QPointer<QVideoWidget> window = platform::MciWindow(QStringLiteral("two"));
        QCOMPARE(platform::MciOpenDeviceCount(), 2);
        QCOMPARE(MciStatusText(QStringLiteral("close all")), kSuccess);
        QCOMPARE(platform::MciOpenDeviceCount(), 0);
        QVERIFY(window.isNull());
        QCOMPARE(m_parent->findChildren<QVideoWidget*>().size(), 0);
        QCOMPARE(MciStatusText(QStringLiteral("Stop one")), kNotOpen);
    }

    void handlesNameLiveWidgetsOnly() {
        auto w = std::make_unique<QWidget>();
        const platform::WindowHandle h = platform::HandleOf(w.get());
        QVERIFY(h != 0);
        QCOMPARE(platform::HandleOf(w.get()), h);
        QCOMPARE(platform::WidgetOf(h), w.get());
        QVERIFY(!w->testAttribute(Qt::WA_NativeWindow));
        auto other = std::make_unique<QWidget>();
        QVERIFY(platform::HandleOf(other.get()) != h);
        w.reset();
        QVERIFY(!platform::WidgetOf(h));
        QCOMPARE(platform::HandleOf(nullptr), 0);
        QVERIFY(!platform::WidgetOf(0));
    }

    void realPlaybackRunsAndStopsWhereAsked() {
        m_parent->show();
        QCOMPARE(MciStatusText(openCommand(quoted(m_long))), kSuccess);
        QMediaPlayer* player = platform::MciPlayer(QStringLiteral("movie"));
        QVideoWidget* window = platform::MciWindow(QStringLiteral("movie"));
        QVERIFY(player && window);
        QSignalSpy frames(window->videoSink(), &QVideoSink::videoFrameChanged);
        QCOMPARE(MciStatusText(QStringLiteral("put movie window at 0 0 300 200")), kSuccess);
        QCOMPARE(MciStatusText(QStringLiteral("set movie time format frames")), kSuccess);
        // 75 frames at 25 per second: 3 s in all; stop after the first 15 frames.
        QCOMPARE(MciStatusText(QStringLiteral("play movie from 0 to 15")), kSuccess);
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), QRect(0, 0, 300, 200));

        QTRY_VERIFY_WITH_TIMEOUT(
            player->playbackState() == QMediaPlayer::PlayingState || player->error() != QMediaPlayer::NoError,
            10000);
        if (player->error() != QMediaPlayer::NoError)
            QSKIP(qPrintable(QStringLiteral("the media backend cannot play here: ") + player->errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 0, 10000);
        // Pauses at frame 15 (600 ms), well short of the clip's end.
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PausedState, 10000);
        QVERIFY2(player->position() >= 600, qPrintable(QString::number(player->position())));
        QVERIFY2(player->position() < 3000, qPrintable(QString::number(player->position())));
        QVERIFY(player->mediaStatus() != QMediaPlayer::EndOfMedia);
    }
};

// Under the sanitizers: GStreamer's pipeline threads keep Qt Multimedia's video window
// objects (and PulseAudio's device list) until the process ends. Full stacks let the
// suppressions for those system libraries recognise them; the fast unwinder stops at the
// first library frame and would report them as ours.
extern "C" __attribute__((used)) const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

QTEST_MAIN(TestMediaControl)
#include "tst_mediacontrol.moc"
