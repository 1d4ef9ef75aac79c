#include "NumberedClip.h"
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

using namespace platform;

namespace {

const QString kSuccess = QStringLiteral("Success");

}  // namespace

class TestMediaControl : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_parent;

    // "open <path> as <alias>" in full, the device a child of the test's parent widget.
    QString openCommand(const QString& path, const QString& alias = QStringLiteral("movie"),
                        const QString& type = QStringLiteral("AviVideo")) const {
        return QStringLiteral("open %1 type %2 Alias %3 parent %4 Style 1073741824")
            .arg(path, type, alias)
            .arg(HandleOf(m_parent.get()));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // 10 frames of 64 x 48 and 75 of 80 x 60, at 25 per second.
        for (const auto& [name, width, height, frames] : {std::tuple{"swing.avi", 64, 48, 10}, {"long.avi", 80, 60, 75}})
            WriteNumberedClip(m_dir.path(), QLatin1String(name), frames, width, height);
        QVERIFY(
            QFile::copy(m_dir.filePath("swing.avi"), m_dir.filePath(QStringLiteral("swing ä \"1\".avi"))));
        QFile text(m_dir.filePath(QStringLiteral("notes.avi")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a clip at all\n") > 0);
    }
    // A device still open when the program ends is closed with the application object
    // (under the sanitizers this shows the player is not left to outlive it).
    void cleanupTestCase() {
        m_parent = std::make_unique<QWidget>();
        QCOMPARE(MciStatusText(openCommand(m_dir.filePath("swing.avi"), QStringLiteral("\"left open\""))),
                 kSuccess);
        QCOMPARE(MciStatusText(QStringLiteral("play \"left open\"")), kSuccess);
        m_parent.reset();
    }
    void init() {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(300, 200);
    }
    void cleanup() {
        QCOMPARE(MciStatusText(QStringLiteral("Close All")), kSuccess);
        QCOMPARE(MciOpenDeviceCount(), 0);
        m_parent.reset();
    }

    // Scripts of "command => answer; ...": the reply of a command that succeeds, else "!" and the
    // name of its error. "OPEN <file> <alias> [type]" stands for the full open command ("spaced": a
    // copy of swing.avi with a space, a quote and a letter beyond ASCII in its name); "?devices"
    // counts the open devices, "?window <alias>" tells where its video window is, "?children"
    // counts the video windows in the parent widget, and "?drop parent" deletes that widget.
    void commandScripts_data() {
        QTest::addColumn<QString>("script");
        QTest::newRow("open: size and length")
            << "OPEN swing.avi movie => ; ?window movie => hidden 0 0 64 48; status movie length => 400; "
               "set movie time format frames => ; status movie length => 10; "
               "Where movie destination => 0 0 64 48; close movie => ; ?devices => 0";
        QTest::newRow("open: the MPEG type reads any container")
            << "OPEN long.avi m MPEGVideo => ; set m time format frames => ; status m length => 75";
        QTest::newRow("open: a quoted path, any case")
            << "OPEN spaced movie => ; CLOSE MOVIE => ; ?devices => 0";
        QTest::newRow("refused opens leave no device")
            << "OPEN notes.avi movie => !InvalidFile; OPEN gone.avi movie => !FileNotFound; "
               "open /nonexistent/dir/clip.avi type AviVideo Alias m => !FileNotFound; "
               "open /nonexistent/clip.avi type AviVideo Alias m parent 12 => !InvalidWindow; "
               "open /nonexistent/clip.avi type AviVideo Alias m parent 0 => !InvalidWindow; ?devices => 0; "
               "OPEN swing.avi movie => ; OPEN long.avi MOVIE => !DuplicateAlias; ?devices => 1";
        QTest::newRow("commands that do not parse")
            << "frobnicate movie => !UnrecognizedCommand; play => !MissingDeviceName; "
               "play \"movie => !NoClosingQuote; stop all => !CannotUseAll";
        // Beyond the clip's length, or a length the device could not tell: refused, and the
        // window is still unplaced and hidden.
        QTest::newRow("commands on an open device")
            << "play nosuch from 0 to 1 => !InvalidDeviceName; status nosuch length => !InvalidDeviceName; "
               "OPEN swing.avi movie => ; set movie time format frames => ; "
               "play movie from 0 to 11 => !OutOfRange; play movie from 0 to -1 => !BadInteger; "
               "?window movie => hidden 0 0 64 48; Stop movie => ; Close movie => ; "
               "Close movie => !InvalidDeviceName";
        // A size of 0 takes the clip's own. The device outlives its parent window: it still
        // answers and closes cleanly.
        QTest::newRow("put places the window in its parent")
            << "OPEN swing.avi movie => ; put movie window at 5 6 200 150 => ; ?window movie => hidden 5 6 "
               "200 150; "
               "Where movie destination => 0 0 200 150; put movie window at 0 0 0 0 => ; "
               "?window movie => hidden 0 0 64 48; ?drop parent => ; ?window movie => none; "
               "put movie window at 0 0 10 10 => ; Where movie destination => 0 0 64 48; Close movie => ";
        QTest::newRow("close all closes every device")
            << "Close All => ; OPEN swing.avi one => ; OPEN long.avi two => ; ?devices => 2; ?children => 2; "
               "close all => ; ?devices => 0; ?children => 0; Stop one => !InvalidDeviceName";
    }
    void commandScripts() {
        QFETCH(QString, script);
#define ERROR_NAMED(name) {QStringLiteral(#name), MciErr##name}
        static const QMap<QString, MciError> errors{
            ERROR_NAMED(InvalidFile),       ERROR_NAMED(FileNotFound),        ERROR_NAMED(InvalidWindow),
            ERROR_NAMED(DuplicateAlias),    ERROR_NAMED(OutOfRange),          ERROR_NAMED(BadInteger),
            ERROR_NAMED(InvalidDeviceName), ERROR_NAMED(UnrecognizedCommand), ERROR_NAMED(MissingDeviceName),
            ERROR_NAMED(NoClosingQuote),    ERROR_NAMED(CannotUseAll)};
#undef ERROR_NAMED
        for (const QString& step : script.split(QStringLiteral("; "))) {
            const QString command = step.section(QStringLiteral(" => "), 0, 0);
            const QStringList words = command.split(u' ');
            QString got;
            if (words[0] == QLatin1String("?devices")) {
                got = QString::number(MciOpenDeviceCount());
            } else if (words[0] == QLatin1String("?children")) {
                got = QString::number(m_parent->findChildren<QVideoWidget*>().size());
            } else if (words[0] == QLatin1String("?drop")) {
                m_parent.reset();
            } else if (words[0] == QLatin1String("?window")) {
                const QVideoWidget* w = MciWindow(words[1]);
                const char* state = !w                                    ? "none"
                                    : w->parentWidget() != m_parent.get() ? "elsewhere"
                                    : w->isHidden()                       ? "hidden"
                                                                          : "shown";
                const QRect r = w ? w->geometry() : QRect();
                got = w ? QString::asprintf("%s %d %d %d %d", state, r.x(), r.y(), r.width(), r.height())
                        : state;
            } else {
                QString full = command, path = m_dir.filePath(words.value(1));
                if (words.value(1) == QLatin1String("spaced"))
                    path = u'"' + m_dir.filePath(QStringLiteral("swing ä \"1\".avi")).replace(u'"', "\"\"") +
                           u'"';
                if (words[0] == QLatin1String("OPEN"))
                    full =
                        openCommand(path, words[2], words.size() > 3 ? words[3] : QStringLiteral("AviVideo"));
                QString reply = QStringLiteral("stale");
                const QString status = MciStatusText(full, &reply);
                got = status == kSuccess ? reply : status;
                if (status != kSuccess) {  // a refusal clears the reply and has a text of its own
                    QVERIFY(reply.isEmpty());
                    QVERIFY(!status.startsWith(QLatin1String("Unknown media control error")));
                }
            }
            QString expected = step.section(QStringLiteral(" => "), 1);
            if (expected.startsWith(u'!')) expected = MciGetErrorString(errors.value(expected.mid(1)));
            QVERIFY2(got == expected, qPrintable(step + QStringLiteral(": ") + got));
        }
        if (!m_parent) m_parent = std::make_unique<QWidget>();
    }

    void handlesNameLiveWidgetsOnly() {
        auto w = std::make_unique<QWidget>();
        const WindowHandle h = HandleOf(w.get());
        QVERIFY(h != 0 && HandleOf(w.get()) == h && WidgetOf(h) == w.get());
        QVERIFY(!w->testAttribute(Qt::WA_NativeWindow));
        auto other = std::make_unique<QWidget>();
        QVERIFY(HandleOf(other.get()) != h);
        w.reset();
        QVERIFY(!WidgetOf(h) && !WidgetOf(0));
        QCOMPARE(HandleOf(nullptr), 0);
    }

    void realPlaybackRunsAndStopsWhereAsked() {
        m_parent->show();
        QCOMPARE(MciStatusText(openCommand(u'"' + m_dir.filePath("long.avi") + u'"')), kSuccess);
        QMediaPlayer* player = MciPlayer(QStringLiteral("movie"));
        QVideoWidget* window = MciWindow(QStringLiteral("movie"));
        QVERIFY(player && window);
        QSignalSpy frames(window->videoSink(), &QVideoSink::videoFrameChanged);
        // 75 frames at 25 per second: 3 s in all; stop after the first 15 frames.
        for (const char* command :
             {"put movie window at 0 0 300 200", "set movie time format frames", "play movie from 0 to 15"})
            QCOMPARE(MciStatusText(QLatin1String(command)), kSuccess);
        QVERIFY(window->isVisible() && window->geometry() == QRect(0, 0, 300, 200));
        QTRY_VERIFY_WITH_TIMEOUT(
            player->playbackState() == QMediaPlayer::PlayingState || player->error() != QMediaPlayer::NoError,
            10000);
        if (player->error() != QMediaPlayer::NoError)
            QSKIP(qPrintable(QStringLiteral("the media backend cannot play here: ") + player->errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 0, 10000);
        // Pauses at frame 15 (600 ms), well short of the clip's end.
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PausedState, 10000);
        QVERIFY2(player->position() >= 600 && player->position() < 3000,
                 qPrintable(QString::number(player->position())));
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
