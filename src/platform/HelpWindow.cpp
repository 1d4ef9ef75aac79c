#include "platform/HelpWindow.h"

#include "platform/MessageBox.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace platform {
namespace {

QPointer<HelpWindow>& instance() {
    static QPointer<HelpWindow> window;
    return window;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    back_ = new QToolButton(this);
    back_->setText(tr("&Back"));
    forward_ = new QToolButton(this);
    forward_->setText(tr("&Forward"));
    home_ = new QToolButton(this);
    home_->setText(tr("&Home"));
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addWidget(home_);
    bar->addStretch(1);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    // Links to other local pages open here; web links go to the desktop's browser.
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);
    layout->addLayout(bar);
    layout->addWidget(browser_, 1);

    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, browser_, &QTextBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::updateCaption);
    // Esc closes the help as it closes a dialog.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    resize(760, 640);
}

HelpWindow* HelpWindow::Instance() {
    if (!instance()) {
        instance() = new HelpWindow;
        instance()->setAttribute(Qt::WA_DeleteOnClose);
        // An open help window must not keep the program running after the main window closed.
        instance()->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return instance();
}

HelpWindow* HelpWindow::Existing() {
    return instance();
}

bool HelpWindow::ShowPage(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) return false;
    browser_->setSearchPaths({info.absolutePath()});
    browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
    updateCaption();
    return true;
}

void HelpWindow::updateCaption() {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? AppTitle() : title);
}

}  // namespace platform
