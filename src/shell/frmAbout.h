#pragma once
// The About box: the program's title, version and descriptive texts, and a button that
// starts a system-information tool. One box at a time; it is not modal.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Shows the About box, creating it when none is loaded, and brings it forward.
    static frmAbout* ShowAbout(QWidget* owner);
    // The box now loaded, if any.
    static frmAbout* Loaded();

    // Version text from the program's version numbers: "Version 1.0.5".
    static QString VersionText();

    // Reads one text value of the registry into KeyVal; false (KeyVal empty) when the key
    // or the value cannot be read or the value is not text.
    static bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                            QString& KeyVal);

    // Starts the system-information tool, or tells the user there is none.
    void StartSysInfo();

    // Starts a program detached; replaceable so that tests start nothing. Returns the
    // previous launcher; an empty function restores the real one.
    using ProgramLauncher = std::function<bool(const QString& program)>;
    static ProgramLauncher SetProgramLauncher(ProgramLauncher launcher);

    // System-information programs looked for on the PATH, in this order.
    static const QStringList& SysInfoPrograms();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblContact = nullptr;
    QLabel* lblEmail = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    static bool launch(const QString& program);

    bool centred_ = false;
};
