#include "shell/cFileDlg.h"

#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

using platform::FileDialogRequest;

const QChar kNul(u'\0');

// Dialog flags the object never passes on: the dialog has no hook or template here.
constexpr std::uint32_t kHookAndTemplate = platform::OFN_ENABLEHOOK | platform::OFN_ENABLETEMPLATE;

// Errors name their source as the runtime does: the executable, then the class.
QString errorSource() {
    return QStringLiteral("varkelo.cFileDlg");
}

// A buffer's text as the platform reads it: up to its first NUL.
QString upToNul(const QString& text) {
    const qsizetype nul = text.indexOf(kNul);
    return nul < 0 ? text : text.left(nul);
}

// The file buffer a dialog hands back: one full path, or, when several files were
// chosen, their folder followed by each name, NUL-separated.
QString fileBufferOf(const platform::FileDialogResult& result) {
    if (result.paths.size() <= 1) return result.path;
    QString buffer = QFileInfo(result.paths.constFirst()).absolutePath();
    for (const QString& p : result.paths) buffer += kNul + QFileInfo(p).fileName();
    return buffer + kNul;
}

}  // namespace

cFileDlg::cFileDlg() : DlgTitle(platform::AppTitle()) {}

QString cFileDlg::ConvertFilter(const QString& filter) {
    QString converted = filter;
    for (QChar& c : converted)
        if (c == u'|' || c == u':') c = kNul;
    return converted + kNul + kNul;
}

std::vector<platform::FileFilterPair> cFileDlg::FilterPairs(const QString& converted) {
    const QStringList fields = converted.split(kNul);
    std::vector<platform::FileFilterPair> pairs;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].isEmpty() || fields[i + 1].isEmpty()) break;
        pairs.push_back({fields[i], fields[i + 1]});
    }
    return pairs;
}

QString cFileDlg::ChosenPair(const QString& converted, std::int32_t index) {
    if (index < 1) return {};
    const QStringList fields = converted.split(kNul);
    const qsizetype first = 2 * qsizetype(index) - 2;
    if (first + 1 >= fields.size()) return {};
    // Two empty fields are the end of the list, not a pair.
    if (fields[first].isEmpty() && fields[first + 1].isEmpty()) return {};
    return fields[first] + kNul + fields[first + 1];
}

std::uint32_t cFileDlg::OpenFlags() const {
    std::uint32_t flags = static_cast<std::uint32_t>(Flags) & ~kHookAndTemplate;
    if (FileMustExist) flags |= platform::OFN_FILEMUSTEXIST;
    if (MultiSelect) flags |= platform::OFN_ALLOWMULTISELECT;
    if (HideReadOnly) flags |= platform::OFN_HIDEREADONLY;
    if (readOnly_) flags |= platform::OFN_READONLY;
    return flags;
}

std::uint32_t cFileDlg::SaveFlags() const {
    std::uint32_t flags = static_cast<std::uint32_t>(Flags) & ~kHookAndTemplate;
    if (OverwritePrompt) flags |= platform::OFN_OVERWRITEPROMPT;
    return flags | platform::OFN_HIDEREADONLY;
}

bool cFileDlg::VBGetOpenFileName(QString& FileName, QString* FileTitle) {
    return runDialog(FileDialogRequest::Open, false, FileName, FileTitle);
}

bool cFileDlg::VBGetOpenFileNamePreview(QString& FileName, QString* FileTitle) {
    return runDialog(FileDialogRequest::Open, true, FileName, FileTitle);
}

bool cFileDlg::VBGetSaveFileName(QString& FileName, QString* FileTitle) {
    return runDialog(FileDialogRequest::Save, false, FileName, FileTitle);
}

bool cFileDlg::runDialog(FileDialogRequest::Kind kind, bool preview, QString& FileName, QString* FileTitle) {
    const bool open = kind == FileDialogRequest::Open;
    if (FileName.size() > kFileBufferSize) platform::Raise(platform::errInvalidCall, errorSource());
    if (FileTitle && FileTitle->size() > kTitleBufferSize)
        platform::Raise(platform::errInvalidCall, errorSource());

    const QString converted = ConvertFilter(Filter);
    FileDialogRequest request;
    request.kind = kind;
    request.owner = OwnerHwnd;
    request.title = DlgTitle;
    request.startFolder = upToNul(InitDirectory);
    request.startFileName = upToNul(FileName);
    request.filters = FilterPairs(converted);
    request.filterIndex = FilterIndex;
    request.SetFlags(open ? OpenFlags() : SaveFlags());
    request.defaultExt = upToNul(DefaultExt);
    request.preview = preview;

    const platform::FileDialogResult result = platform::RunFileDialog(request);

    // A choice that does not fit the buffers (with their terminating NUL) fails the
    // call, as the platform's dialog does, rather than being cut short.
    const QString buffer = result.accepted ? fileBufferOf(result) : QString();
    const QString title = QFileInfo(result.path).fileName();
    if (!result.accepted || buffer.isEmpty() || buffer.size() >= kFileBufferSize ||
        title.size() >= kTitleBufferSize) {
        FileName = QString(kNul);
        if (FileTitle) *FileTitle = QString(kNul);
        Flags = 0;
        Filter = QString(kNul);
        FilterIndex = open ? -1 : 0;
        return false;
    }

    FileName = upToNul(buffer);
    if (FileTitle) *FileTitle = title;

    std::uint32_t returned = request.flags;
    if (open) {
        if (result.readOnly)
            returned |= platform::OFN_READONLY;
        else
            returned &= ~std::uint32_t(platform::OFN_READONLY);
    }
    // Only the dialog says whether the extension differs; an old answer passed back in
    // through Flags must not stick.
    returned &= ~std::uint32_t(platform::OFN_EXTENSIONDIFFERENT);
    if (!request.defaultExt.isEmpty()) {
        QString ext = request.defaultExt;
        while (ext.startsWith(u'.')) ext.remove(0, 1);
        if (QFileInfo(FileName).suffix().compare(ext, Qt::CaseInsensitive) != 0)
            returned |= platform::OFN_EXTENSIONDIFFERENT;
    }
    Flags = static_cast<std::int32_t>(returned);
    FilterIndex = result.filterIndex;
    Filter = ChosenPair(converted, FilterIndex);
    if (open && (returned & platform::OFN_READONLY)) readOnly_ = true;
    InitDirectory = buffer + QString(kFileBufferSize - buffer.size(), kNul);
    return true;
}

bool cFileDlg::ExistFile(const QString& sSpec) {
    const QString path = upToNul(sSpec);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString cFileDlg::VBGetFileTitle(const QString& sFile) {
    const QString path = upToNul(sFile);
    if (path.isEmpty() || path.endsWith(u'/')) return {};
    const QString title = QFileInfo(path).fileName();
    return title.size() < kFileBufferSize ? title : QString();
}

void cFileDlg::InitDirectorySpecial(std::int32_t code) {
    auto location = [](QStandardPaths::StandardLocation where) {
        return QStandardPaths::writableLocation(where);
    };
    QString folder;
    switch (code) {
        case 0:   // desktop
        case 16:  // desktop folder
            folder = location(QStandardPaths::DesktopLocation);
            break;
        case 5:
            folder = location(QStandardPaths::DocumentsLocation);
            break;  // documents
        case 13:
            folder = location(QStandardPaths::MusicLocation);
            break;  // my music
        case 14:
            folder = location(QStandardPaths::MoviesLocation);
            break;  // my video
        case 20:
            folder = location(QStandardPaths::FontsLocation);
            break;  // fonts
        case 26:
            folder = location(QStandardPaths::GenericConfigLocation);
            break;  // roaming settings
        case 28:
            folder = location(QStandardPaths::GenericDataLocation);
            break;  // local data
        case 32:
            folder = location(QStandardPaths::GenericCacheLocation);
            break;  // caches
        case 38:
            folder = QStringLiteral("/usr/bin");
            break;  // installed programs
        case 39:
            folder = location(QStandardPaths::PicturesLocation);
            break;  // my pictures
        case 40:
            folder = QDir::homePath();
            break;  // the user's profile
        default:
            break;
    }
    // The platform cannot resolve a folder that is not there.
    InitDirectory = !folder.isEmpty() && QFileInfo(folder).isDir() ? QDir::cleanPath(folder) : QString();
}
