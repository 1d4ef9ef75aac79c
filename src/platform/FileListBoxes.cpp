#include "platform/FileListBoxes.h"

#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStorageInfo>

namespace platform {

namespace {

std::optional<QStringList>& mountOverride() {
    static std::optional<QStringList> mountPoints;
    return mountPoints;
}

// Every mount point, or the drives a user picks from (no pseudo file systems).
QStringList MountPoints(bool drivesOnly) {
    if (mountOverride()) return *mountOverride();
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (drivesOnly) {
            if (!volume.isValid() || !volume.isReady()) continue;
            // Pseudo file systems are no place for clips.
            const QByteArray type = volume.fileSystemType();
            if (type == "proc" || type == "sysfs" || type == "tmpfs" || type == "devtmpfs" ||
                type == "overlay" || root.startsWith(QLatin1String("/proc")) ||
                root.startsWith(QLatin1String("/sys")) || root.startsWith(QLatin1String("/dev")) ||
                root.startsWith(QLatin1String("/run")))
                continue;
        }
        roots << root;
    }
    return roots;
}

}  // namespace

void OverrideMountPoints(std::optional<QStringList> mountPoints) {
    mountOverride() = std::move(mountPoints);
}

QString DriveOf(const QString& folder) {
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QString best = QStringLiteral("/");
    for (const QString& root : MountPoints(false)) {
        const bool inside = clean == root || clean.startsWith(root.endsWith('/') ? root : root + '/');
        if (inside && root.size() > best.size()) best = root;
    }
    return best;
}

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    RefreshDrives();
    connect(this, &QComboBox::activated, this, [this] { emit Change(); });
}

void DriveListBox::RefreshDrives() {
    QStringList roots{QStringLiteral("/")};
    for (const QString& root : MountPoints(true))
        if (!roots.contains(root)) roots << root;
    const QString current = currentText();
    blockSignals(true);
    clear();
    addItems(roots);
    if (!current.isEmpty()) setCurrentIndex(std::max(0, findText(current)));
    blockSignals(false);
}

void DriveListBox::SetDrive(const QString& path) {
    const QString drive = DriveOf(path);
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    if (index == currentIndex()) return;
    setCurrentIndex(index);
    emit Change();
}

DirListBox::DirListBox(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this)) {
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QStringLiteral("/"));
    setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c) hideColumn(c);
    header()->hide();
    setUniformRowHeights(true);
    // The model reads folders in the background and adds their rows a little later:
    // reveal the path again whenever rows on its way arrive.
    // Sorting them moves rows too.
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& into) {
        const QString folder = model_->filePath(into);
        if (path_ == folder || path_.startsWith(folder)) scheduleReveal();
    });
    connect(model_, &QAbstractItemModel::layoutChanged, this, &DirListBox::scheduleReveal);
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        const QString chosen = model_->filePath(index);
        if (chosen != path_) {
            path_ = chosen;
            emit Change();
        }
    });
}

void DirListBox::SetPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) Raise(errPathNotFound);
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = clean != path_;
    path_ = clean;
    autoReveal_ = true;
    reveal();
    if (changed) emit Change();
}

void DirListBox::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    // Scrolling needs a laid-out view.
    scheduleReveal();
}

void DirListBox::scheduleReveal() {
    if (path_.isEmpty() || revealPending_ || !autoReveal_) return;
    revealPending_ = true;
    QMetaObject::invokeMethod(this, &DirListBox::reveal, Qt::QueuedConnection);
}

void DirListBox::mousePressEvent(QMouseEvent* event) {
    autoReveal_ = false;  // the user is browsing: stop bringing the folder back into view
    QTreeView::mousePressEvent(event);
}

void DirListBox::wheelEvent(QWheelEvent* event) {
    autoReveal_ = false;
    QTreeView::wheelEvent(event);
}

void DirListBox::reveal() {
    revealPending_ = false;
    const QModelIndex index = model_->index(path_);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
    expand(index);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent), model_(new QFileSystemModel(this)) {
    model_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    model_->setNameFilterDisables(false);  // hide what does not match instead of greying it
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void FileListBox::SetPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) Raise(errPathNotFound);
    path_ = QDir::cleanPath(info.absoluteFilePath());
    setRootIndex(model_->setRootPath(path_));
    clearSelection();
}

void FileListBox::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    model_->setNameFilters(pattern.split(';', Qt::SkipEmptyParts));
}

QString FileListBox::FileName() const {
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !selectionModel()->isSelected(index)) return {};
    return model_->fileName(index);
}

bool FileListBox::SelectFile(const QString& name) {
    const QModelIndex index = model_->index(QDir(path_).filePath(name));
    if (!index.isValid() || index.parent() != rootIndex()) return false;
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    return true;
}

int FileListBox::ListCount() const {
    return model_->rowCount(rootIndex());
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    emit MouseUp(ButtonCode(event->button()), ShiftCodeOf(event->modifiers()), float(event->position().x()),
                 float(event->position().y()));
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() &&
        !FileName().isEmpty())
        emit OpenRequested();
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A held key opens the file once, not again at every repeat.
        if (!event->isAutoRepeat() && !FileName().isEmpty()) emit OpenRequested();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

}  // namespace platform
