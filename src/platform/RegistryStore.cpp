#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace platform {

namespace {

// The file is JSON: a format tag, a version, and a flat list of keys by full path, each
// with its values in order. A flat list keeps the nesting depth of the document fixed
// however deep the keys go. Text values are kept as readable text when that is exact
// (UTF-8, one trailing NUL, no other NUL); every other value keeps its raw bytes in hex.
constexpr auto kFormatTag = "varkelo-registry";
constexpr int kFormatVersion = 1;

struct Node {
    QString name;
    std::vector<std::pair<QString, RegValue>> values;
    std::vector<Node> children;

    Node* child(const QString& childName) {
        for (auto& c : children)
            if (c.name.compare(childName, Qt::CaseInsensitive) == 0) return &c;
        return nullptr;
    }
    RegValue* value(const QString& valueName) {
        for (auto& [n, v] : values)
            if (n.compare(valueName, Qt::CaseInsensitive) == 0) return &v;
        return nullptr;
    }
    Node& childOrNew(const QString& childName) {
        if (Node* c = child(childName)) return *c;
        children.push_back(Node{childName, {}, {}});
        return children.back();
    }
};

// Splits a key path into its parts; nullopt when the path breaks the registry's limits.
std::optional<QStringList> SplitPath(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() > RegistryStore::kMaxKeyDepth) return std::nullopt;
    for (const QString& p : parts)
        if (p.size() > RegistryStore::kMaxKeyNameLength) return std::nullopt;
    return parts;
}

Node* Find(Node& root, const QStringList& parts) {
    Node* n = &root;
    for (const QString& p : parts) {
        n = n->child(p);
        if (!n) return nullptr;
    }
    return n;
}

const char* TypeName(std::uint32_t type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_DWORD_BIG_ENDIAN:
            return "REG_DWORD_BIG_ENDIAN";
        case REG_LINK:
            return "REG_LINK";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        default:
            return nullptr;
    }
}

std::optional<std::uint32_t> TypeFromJson(const QJsonValue& v) {
    if (v.isString()) {
        for (std::uint32_t t = REG_NONE; t <= REG_MULTI_SZ; ++t)
            if (v.toString() == QLatin1String(TypeName(t))) return t;
        return std::nullopt;
    }
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d >= 0 && d <= 4294967295.0 && d == static_cast<double>(static_cast<std::uint32_t>(d)))
            return static_cast<std::uint32_t>(d);
    }
    return std::nullopt;
}

bool IsTextType(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// True when the bytes are exactly what EncodeText makes of some text.
bool IsPlainText(const QByteArray& data) {
    if (data.isEmpty() || data.back() != '\0') return false;
    const QByteArray body = data.first(data.size() - 1);
    if (body.contains('\0')) return false;
    return QString::fromUtf8(body).toUtf8() == body;
}

QJsonObject ValueToJson(const QString& name, const RegValue& v) {
    QJsonObject o;
    o.insert(QStringLiteral("name"), name);
    if (const char* t = TypeName(v.type))
        o.insert(QStringLiteral("type"), QLatin1String(t));
    else
        o.insert(QStringLiteral("type"), static_cast<double>(v.type));
    if (IsTextType(v.type) && IsPlainText(v.data))
        o.insert(QStringLiteral("text"), DecodeText(v.data));
    else
        o.insert(QStringLiteral("hex"), QString::fromLatin1(v.data.toHex()));
    return o;
}

std::optional<RegValue> ValueFromJson(const QJsonObject& o) {
    const auto type = TypeFromJson(o.value(QStringLiteral("type")));
    if (!type) return std::nullopt;
    RegValue v;
    v.type = *type;
    const QJsonValue text = o.value(QStringLiteral("text"));
    const QJsonValue hex = o.value(QStringLiteral("hex"));
    if (text.isString()) {
        v.data = EncodeText(text.toString());
    } else if (hex.isString()) {
        const QByteArray digits = hex.toString().toLatin1();
        // fromHex skips what it does not understand; a damaged value must not pass as data.
        if (digits.size() % 2 != 0) return std::nullopt;
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(uchar(c)); }))
            return std::nullopt;
        v.data = QByteArray::fromHex(digits);
    } else {
        return std::nullopt;
    }
    return v;
}

void AppendKeys(const Node& node, const QString& path, QJsonArray& out) {
    QJsonArray values;
    for (const auto& [name, v] : node.values) values.append(ValueToJson(name, v));
    QJsonObject key;
    key.insert(QStringLiteral("path"), path);
    key.insert(QStringLiteral("values"), values);
    out.append(key);
    for (const Node& c : node.children)
        AppendKeys(c, path.isEmpty() ? c.name : path + QLatin1Char('\\') + c.name, out);
}

void SortChildren(Node& node) {
    std::sort(node.children.begin(), node.children.end(),
              [](const Node& a, const Node& b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    for (Node& c : node.children) SortChildren(c);
}

// A damaged store reads as empty and the next write replaces it: a copy beside it, made
// once per damaged version, lets the user recover what it held.
void KeepDamaged(const QFileInfo& info, const QByteArray& bytes) {
    const QFileInfo kept(info.filePath() + QStringLiteral(".bad"));
    if (bytes.isEmpty() || (kept.exists() && kept.lastModified() >= info.lastModified())) return;
    QFile file(kept.filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

// Reads a store file. Anything that is not a well-formed store reads as empty; single
// malformed entries of an otherwise good file are skipped.
Node ReadFile(const QString& path) {
    Node root;
    if (path.isEmpty()) return root;
    const QFileInfo info(path);
    // A FIFO or device would block or never end: only regular files of a sane size.
    if (!info.isFile() || info.size() > RegistryStore::kMaxFileBytes) return root;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return root;
    // read(n) allocates n bytes up front: ask for what the file holds (and one byte more,
    // to notice a file that grew past the limit since it was measured).
    const QByteArray bytes = file.read(std::min(file.size(), RegistryStore::kMaxFileBytes) + 1);
    if (bytes.size() > RegistryStore::kMaxFileBytes) return root;

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject top = doc.object();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        top.value(QStringLiteral("format")).toString() != QLatin1String(kFormatTag) ||
        !top.value(QStringLiteral("keys")).isArray()) {
        KeepDamaged(info, bytes);
        return root;
    }

    const QJsonArray keys = top.value(QStringLiteral("keys")).toArray();
    for (const QJsonValue& k : keys) {
        if (!k.isObject()) continue;
        const QJsonObject key = k.toObject();
        const QJsonValue keyPath = key.value(QStringLiteral("path"));
        if (!keyPath.isString()) continue;
        const auto parts = SplitPath(keyPath.toString());
        if (!parts) continue;
        Node* node = &root;
        for (const QString& p : *parts) node = &node->childOrNew(p);
        for (const QJsonValue& jv : key.value(QStringLiteral("values")).toArray()) {
            if (!jv.isObject()) continue;
            const QJsonObject vo = jv.toObject();
            const QJsonValue name = vo.value(QStringLiteral("name"));
            if (!name.isString() || name.toString().size() > RegistryStore::kMaxValueNameLength) continue;
            const auto value = ValueFromJson(vo);
            if (!value) continue;
            if (RegValue* existing = node->value(name.toString()))
                *existing = *value;
            else
                node->values.emplace_back(name.toString(), *value);
        }
    }
    SortChildren(root);
    return root;
}

long WriteFile(const QString& path, const Node& root) {
    if (path.isEmpty()) return ERROR_ACCESS_DENIED;
    QJsonArray keys;
    AppendKeys(root, QString(), keys);
    QJsonObject top;
    top.insert(QStringLiteral("format"), QLatin1String(kFormatTag));
    top.insert(QStringLiteral("version"), kFormatVersion);
    top.insert(QStringLiteral("keys"), keys);
    const QByteArray bytes = QJsonDocument(top).toJson(QJsonDocument::Indented);
    // Never write what ReadFile would refuse: the store would silently come back empty.
    if (bytes.size() > RegistryStore::kMaxFileBytes) return ERROR_NOT_ENOUGH_QUOTA;

    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return ERROR_ACCESS_DENIED;
#ifdef VARKELO_STORE_NO_SYNC
    // Fuzz builds: written in place, without the sync to disk that QSaveFile's commit makes.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return ERROR_ACCESS_DENIED;
    return file.write(bytes) == bytes.size() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
#else
    QSaveFile file(path);
    // Unbuffered: a buffered write that fails only when commit() flushes it is not seen
    // by QSaveFile, which would then put a truncated file in place of the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return ERROR_ACCESS_DENIED;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return ERROR_ACCESS_DENIED;
    }
    return file.commit() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
#endif
}

bool HasRootStore(std::uint32_t root) {
    return root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE;
}

bool NameTooLong(const QString& name) {
    return name.size() > RegistryStore::kMaxValueNameLength;
}

// Reads the root's store and finds the key at `path`. ERROR_SUCCESS with `node` in `tree`,
// or the status that ends the caller: no store for the root, a bad path, no such key.
long LookUpKey(const QString& file, std::uint32_t root, const QString& path, Node& tree, Node*& node) {
    node = nullptr;
    if (!HasRootStore(root)) return ERROR_INVALID_HANDLE;
    const auto parts = SplitPath(path);
    if (!parts) return ERROR_INVALID_PARAMETER;
    tree = ReadFile(file);
    node = Find(tree, *parts);
    return node ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

}  // namespace

QByteArray EncodeText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.append('\0');
    return bytes;
}

QString DecodeText(const QByteArray& data) {
    if (!data.isEmpty() && data.back() == '\0') return QString::fromUtf8(data.first(data.size() - 1));
    return QString::fromUtf8(data);
}

QString ExpandEnvironmentStrings(const QString& text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), i);
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {  // a lone "%": the rest stays as written
            out += QStringView(text).mid(open);
            break;
        }
        const QString name = text.mid(open + 1, close - open - 1);
        if (!name.isEmpty() && !name.contains(QLatin1Char('=')) && !name.contains(QChar(0)) &&
            qEnvironmentVariableIsSet(name.toLocal8Bit()))
            out += qEnvironmentVariable(name.toLocal8Bit().constData());
        else  // unknown names keep both percent signs and are not looked at again
            out += QStringView(text).mid(open, close - open + 1);
        i = close + 1;
    }
    return out;
}

RegistryStore& RegistryStore::Instance() {
    static RegistryStore store;
    return store;
}

QString RegistryStore::DefaultFilePath(std::uint32_t root) {
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    switch (root) {
        case HKEY_CURRENT_USER:
            return user.isEmpty() ? QString() : user + QStringLiteral("/varkelo/registry.json");
        case HKEY_CLASSES_ROOT:
            return user.isEmpty() ? QString() : user + QStringLiteral("/varkelo/classes.json");
        case HKEY_LOCAL_MACHINE: {
            const QString name = QStringLiteral("/varkelo/registry.json");
            for (const QString& dir :
                 QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
                if (dir == user) continue;
                if (QFileInfo(dir + name).isFile()) return dir + name;
            }
            return QStringLiteral("/etc/xdg") + name;
        }
        default:
            return {};
    }
}

QString RegistryStore::FilePath(std::uint32_t root) const {
    if (!HasRootStore(root)) return {};
    const auto it = overrides_.find(root);
    return it != overrides_.end() ? it->second : DefaultFilePath(root);
}

void RegistryStore::SetFilePath(std::uint32_t root, const QString& path) {
    if (path.isEmpty())
        overrides_.erase(root);
    else
        overrides_[root] = path;
}

void RegistryStore::ResetFilePaths() {
    overrides_.clear();
}

bool RegistryStore::IsWritableRoot(std::uint32_t root) {
    return root == HKEY_CURRENT_USER || root == HKEY_CLASSES_ROOT;
}

long RegistryStore::OpenKey(std::uint32_t root, const QString& path) const {
    Node tree;
    Node* node = nullptr;
    return LookUpKey(FilePath(root), root, path, tree, node);
}

long RegistryStore::CreateKey(std::uint32_t root, const QString& path) {
    if (!HasRootStore(root)) return ERROR_INVALID_HANDLE;
    const auto parts = SplitPath(path);
    if (!parts) return ERROR_INVALID_PARAMETER;
    if (!IsWritableRoot(root)) return ERROR_ACCESS_DENIED;
    Node tree = ReadFile(FilePath(root));
    if (Find(tree, *parts)) return ERROR_SUCCESS;
    Node* node = &tree;
    for (const QString& p : *parts) node = &node->childOrNew(p);
    return WriteFile(FilePath(root), tree);
}

long RegistryStore::QueryValue(std::uint32_t root, const QString& path, const QString& name,
                               RegValue& out) const {
    Node tree;
    Node* node = nullptr;
    if (const long status = LookUpKey(FilePath(root), root, path, tree, node)) return status;
    const RegValue* v = node->value(name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    out = *v;
    return ERROR_SUCCESS;
}

long RegistryStore::SetValue(std::uint32_t root, const QString& path, const QString& name,
                             const RegValue& value) {
    if (!HasRootStore(root)) return ERROR_INVALID_HANDLE;
    if (NameTooLong(name)) return ERROR_INVALID_PARAMETER;
    Node tree;
    Node* node = nullptr;
    if (const long status = LookUpKey(FilePath(root), root, path, tree, node)) return status;
    if (!IsWritableRoot(root)) return ERROR_ACCESS_DENIED;
    if (RegValue* existing = node->value(name))
        *existing = value;
    else
        node->values.emplace_back(name, value);
    return WriteFile(FilePath(root), tree);
}

long RegistryStore::SetValues(std::uint32_t root, const QString& path,
                              const std::vector<std::pair<QString, RegValue>>& values) {
    if (!HasRootStore(root)) return ERROR_INVALID_HANDLE;
    const auto parts = SplitPath(path);
    if (!parts) return ERROR_INVALID_PARAMETER;
    for (const auto& nv : values)
        if (NameTooLong(nv.first)) return ERROR_INVALID_PARAMETER;
    if (!IsWritableRoot(root)) return ERROR_ACCESS_DENIED;
    Node tree = ReadFile(FilePath(root));
    Node* node = &tree;
    for (const QString& p : *parts) node = &node->childOrNew(p);
    for (const auto& [name, value] : values) {
        if (RegValue* existing = node->value(name))
            *existing = value;
        else
            node->values.emplace_back(name, value);
    }
    return WriteFile(FilePath(root), tree);
}

long RegistryStore::EnumValueNames(std::uint32_t root, const QString& path, QStringList& names) const {
    names.clear();
    Node tree;
    Node* node = nullptr;
    if (const long status = LookUpKey(FilePath(root), root, path, tree, node)) return status;
    for (const auto& nv : node->values) names.append(nv.first);
    return ERROR_SUCCESS;
}

long RegistryStore::EnumSubKeys(std::uint32_t root, const QString& path, QStringList& names) const {
    names.clear();
    Node tree;
    Node* node = nullptr;
    if (const long status = LookUpKey(FilePath(root), root, path, tree, node)) return status;
    for (const Node& c : node->children) names.append(c.name);
    return ERROR_SUCCESS;
}

}  // namespace platform
