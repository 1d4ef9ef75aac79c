#include "shell/frmAbout.h"

#include "platform/MessageBox.h"
#include "platform/RegistryStore.h"
#include "shell/cRegistry.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

// The version information's texts.
const QString kDescription = QStringLiteral(
    "Golf swing analysis from video: step through a clip frame by frame, measure lengths and "
    "angles over the picture, and compare the swing with a model swing.");
const QString kLegalNotice = QStringLiteral(
    "Warning: this program is provided as is, without warranty of any kind. Lengths and angles "
    "measured on a video picture are estimates; check them before relying on them.");
const QString kCompanyName = QStringLiteral("The Varkelo project");
const QString kContactLine = QStringLiteral("Questions and suggestions: see the Help menu for the user guide.");

// The registry entries that say where the platform's system-information tool lives.
const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kSysInfoValue = QStringLiteral("PATH");
const QString kSysInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kSysInfoLocationValue = QStringLiteral("MSINFO");

// GetKeyValue reads into a buffer of this many bytes, terminator included.
constexpr int kKeyValueBuffer = 1024;

QPointer<frmAbout>& loadedBox() {
    static QPointer<frmAbout> box;
    return box;
}

frmAbout::ProgramLauncher& programLauncher() {
    static frmAbout::ProgramLauncher launcher;
    return launcher;
}

// The program's icon; a small golf ball on a green drawn here when it has none.
QPixmap programIcon() {
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) return icon.pixmap(32, 32);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(46, 139, 87));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(180, 180, 180), 1));
    p.drawEllipse(QRectF(9, 6, 14, 14));
    p.setPen(QPen(QColor(90, 60, 30), 2));
    p.drawLine(QPointF(16, 20), QPointF(16, 28));
    return pixmap;
}

QFrame* separatorLine(QWidget* parent, const char* name) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDisclaimer = new QLabel(this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblContact = new QLabel(this);
    lblContact->setObjectName(QStringLiteral("lblContact"));
    lblEmail = new QLabel(this);
    lblEmail->setObjectName(QStringLiteral("lblEmail"));
    lblEmail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Line1 = separatorLine(this, "Line1");
    Line2 = separatorLine(this, "Line2");
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(Line1, 3, 0, 1, 2);
    grid->addWidget(lblContact, 4, 1);
    grid->addWidget(lblEmail, 5, 1);
    grid->addWidget(Line2, 6, 0, 1, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch(1);
    bottom->addLayout(buttons);
    grid->addLayout(bottom, 7, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 360);
    // A fixed dialog: the layout decides its size and the user cannot change it.
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    Form_Load();
}

frmAbout* frmAbout::ShowAbout(QWidget* owner) {
    if (!loadedBox()) {
        loadedBox() = new frmAbout(owner);
        // Closing the box (OK or its close box) unloads it.
        loadedBox()->setAttribute(Qt::WA_DeleteOnClose);
    }
    frmAbout* box = loadedBox();
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

frmAbout* frmAbout::Loaded() {
    return loadedBox();
}

QString frmAbout::VersionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(VARKELO_VERSION_MAJOR)
        .arg(VARKELO_VERSION_MINOR)
        .arg(VARKELO_VERSION_REVISION);
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + platform::AppTitle());
    lblVersion->setText(VersionText());
    lblTitle->setText(platform::AppTitle());
    lblDescription->setText(kDescription);
    lblDisclaimer->setText(kLegalNotice);
    lblContact->setText(kCompanyName);
    lblEmail->setText(kContactLine);
    picIcon->setPixmap(programIcon());
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centred_) return;
    centred_ = true;
    // Centred on the screen the box opens on, once; the user may move it afterwards.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

bool frmAbout::GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal) {
    KeyVal.clear();
    cRegistry reg;
    reg.SetClassKey(KeyRoot);
    reg.SetSectionKey(KeyName);
    if (!reg.KeyExists()) return false;
    reg.SetValueKey(SubKeyRef);
    reg.SetValueType(platform::REG_NONE);
    const QVariant value = reg.Value();
    // Only text answers the question; a value that would not fit the buffer is not read.
    if (reg.ValueType() != platform::REG_SZ) return false;
    const QString text = value.toString();
    if (platform::EncodeText(text).size() > kKeyValueBuffer) return false;
    KeyVal = text;
    return true;
}

const QStringList& frmAbout::SysInfoPrograms() {
    static const QStringList programs{
        QStringLiteral("hardinfo"),
        QStringLiteral("gnome-system-monitor"),
        QStringLiteral("plasma-systemmonitor"),
        QStringLiteral("ksysguard"),
        QStringLiteral("mate-system-monitor"),
        QStringLiteral("xfce4-taskmanager"),
    };
    return programs;
}

frmAbout::ProgramLauncher frmAbout::SetProgramLauncher(ProgramLauncher launcher) {
    return std::exchange(programLauncher(), std::move(launcher));
}

bool frmAbout::launch(const QString& program) {
    if (programLauncher()) return programLauncher()(program);
    return QProcess::startDetached(program, {});
}

void frmAbout::StartSysInfo() {
    // The platform's own tool, where the registry says it is; then a tool on the PATH.
    QString path;
    if (GetKeyValue(platform::HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, path) && !path.isEmpty() &&
        launch(path))
        return;
    QString folder;
    if (GetKeyValue(platform::HKEY_LOCAL_MACHINE, kSysInfoLocationKey, kSysInfoLocationValue, folder)) {
        const QString program = folder + QStringLiteral("/MSINFO32.EXE");
        if (QFileInfo(program).isFile() && launch(program)) return;
    }
    for (const QString& name : SysInfoPrograms()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && launch(program)) return;
    }
    platform::MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), platform::vbOKOnly,
                     platform::AppTitle());
}
