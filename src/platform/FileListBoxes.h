#pragma once
// The drive, folder and file list boxes of the file browser, on Qt's file-system model.
// Drives are the mounted file systems, the root "/" first.

#include <QComboBox>
#include <QListView>
#include <QTreeView>

#include <optional>

class QFileSystemModel;

namespace platform {

// The mount point that holds `folder` (the longest mount point containing it).
QString DriveOf(const QString& folder);

// Tests: the mounted file systems besides "/" (in place of the system's), or the system's
// again with nullopt.
void OverrideMountPoints(std::optional<QStringList> mountPoints);

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    QString Drive() const { return currentText(); }
    // Chooses the drive that holds `path`; emits Change when it differs.
    void SetDrive(const QString& path);
    void RefreshDrives();

signals:
    void Change();
};

class DirListBox : public QTreeView {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    QString Path() const { return path_; }
    // Shows and selects `path`; emits Change when it differs. A folder that does not
    // exist raises "Path not found" (76).
    void SetPath(const QString& path);

signals:
    void Change();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void scheduleReveal();
    void reveal();

    QFileSystemModel* model_;
    QString path_;
    bool revealPending_ = false;
    bool autoReveal_ = false;  // keep the folder in view while the model fills in
};

class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString Path() const { return path_; }
    void SetPath(const QString& path);
    QString Pattern() const { return pattern_; }
    // Patterns separated by ";" ("*.avi;*.bmp"); matched without regard to case.
    void SetPattern(const QString& pattern);
    // Name of the selected file, empty when none.
    QString FileName() const;
    // Selects a file by name (tests, keyboard).
    bool SelectFile(const QString& name);
    // Number of files listed (the model fills in the background).
    int ListCount() const;

signals:
    void MouseUp(int button, int shift, float x, float y);
    // A double click on a file, or Enter with a file selected: the user asks to open it.
    void OpenRequested();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFileSystemModel* model_;
    QString path_;
    QString pattern_;
};

}  // namespace platform
