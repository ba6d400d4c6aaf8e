#include "module.h"

#include "files/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <limits>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

namespace {

using ModuleEntry = const void *(*)();

// Whether `count` items of `size` bytes from `offset` lie within `length` bytes.
bool within(quint64 offset, quint64 count, quint64 size, quint64 length)
{
    return offset <= length && (size == 0 || count <= (length - offset) / size);
}

// Why the library at `path` cannot be mapped safely; empty when it can.
// Every segment its header describes, and its section table, must lie
// within the file: the loader trusts the header and maps past a short file.
QString damage(const QString &path)
{
    QFile file;
    if (!Files::openRegularFile(file, path))
        return Module::Unreadable;
    const quint64 length = quint64(file.size());
    ElfW(Ehdr) header{};
    const qint64 read = file.read(reinterpret_cast<char *>(&header), sizeof header);
    if (read < SELFMAG || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return Module::NotLibrary;
    if (read != qint64(sizeof header))
        return Module::Truncated.arg(length);
    constexpr unsigned char NativeClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
    constexpr unsigned char NativeOrder = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
    if (header.e_ident[EI_CLASS] != NativeClass || header.e_ident[EI_DATA] != NativeOrder
        || header.e_phentsize != sizeof(ElfW(Phdr)))
        return Module::NotLibrary;
    if (!within(header.e_phoff, header.e_phnum, sizeof(ElfW(Phdr)), length))
        return Module::Truncated.arg(length);
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    const qint64 bytes = qint64(segments.size()) * qint64(sizeof(ElfW(Phdr)));
    if (!file.seek(qint64(header.e_phoff)) || file.read(reinterpret_cast<char *>(segments.data()), bytes) != bytes)
        return Module::Unreadable;
    for (const ElfW(Phdr) &segment : segments) {
        if (!within(segment.p_offset, 1, segment.p_filesz, length))
            return Module::Truncated.arg(length);
    }
    // A table of 0 entries whose offset is set holds its real count in its first.
    if (header.e_shoff != 0 && !within(header.e_shoff, qMax<quint64>(header.e_shnum, 1), header.e_shentsize, length))
        return Module::Truncated.arg(length);
    return QString();
}

// Whether `bytes` bytes at `address` lie within the library whose link map is `map`.
bool holds(const void *map, const void *address, std::size_t bytes)
{
    if (reinterpret_cast<quintptr>(address) > std::numeric_limits<quintptr>::max() - (bytes - 1))
        return false;
    const char *first = static_cast<const char *>(address);
    for (const char *at : {first, first + (bytes - 1)}) {
        Dl_info found;
        void *owner = nullptr;
        if (!dladdr1(at, &found, &owner, RTLD_DL_LINKMAP) || owner != map)
            return false;
    }
    return true;
}

} // namespace

Module::Module(QString name, const char *symbol, QStringList folders)
    : m_name(std::move(name)), m_symbol(symbol), m_folders(std::move(folders))
{
}

QStringList Module::installedFolders()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.path(), QDir::cleanPath(program.filePath(QStringLiteral(VEVURID_MODULE_FROM_PROGRAM)))};
}

void Module::refuse(Messages &messages, const QString &why) const
{
    messages.show(QStringLiteral("Vevurid"), MessageIcon::Warning, LoadFailed.arg(m_name, why));
}

const void *Module::load(Messages &messages, const Layout &layout)
{
    if (m_table)
        return m_table;
    QString why = NotFound.arg(m_folders.join(QStringLiteral(", ")));
    for (const QString &folder : m_folders) {
        const QString path = QDir(folder).filePath(m_name + QStringLiteral(".so"));
        if (QFileInfo(path).isFile()) {
            why = opened(path, layout);
            break;
        }
    }
    if (m_table)
        return m_table;
    refuse(messages, why);
    return nullptr;
}

QString Module::opened(const QString &path, const Layout &layout)
{
    if (QString why = damage(path); !why.isEmpty())
        return why;
    void *library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return NotLoaded.arg(QString::fromLocal8Bit(dlerror()));
    return tableOf(library, layout);
}

QString Module::tableOf(void *library, const Layout &layout)
{
    const QString symbol = QString::fromLatin1(m_symbol);
    void *map = nullptr;
    dlinfo(library, RTLD_DI_LINKMAP, &map);
    void *entry = dlsym(library, m_symbol);
    if (!entry) {
        dlclose(library);
        return NoEntry.arg(symbol);
    }
    Dl_info found;
    void *described = nullptr;
    // Both classes of ELF keep a symbol's type in the same bits.
    if (!dladdr1(entry, &found, &described, RTLD_DL_SYMENT) || !described || found.dli_saddr != entry
        || ELF64_ST_TYPE(static_cast<const ElfW(Sym) *>(described)->st_info) != STT_FUNC) {
        dlclose(library);
        return NotFunction.arg(symbol);
    }
    // From here on the module's code has run: it stays loaded, whatever it gave.
    const void *table = reinterpret_cast<ModuleEntry>(entry)();
    if (!table)
        return NoTable.arg(symbol);
    if (!holds(map, table, layout.size))
        return TableOutside.arg(symbol);
    std::uint64_t contract = 0;
    std::memcpy(&contract, table, sizeof contract);
    if (contract >> 16 != layout.contract >> 16)
        return NoContract;
    if (contract != layout.contract)
        return OtherContract.arg(contract & 0xffff).arg(layout.contract & 0xffff);
    for (const QFunctionPointer function : layout.functions(table)) {
        if (!holds(map, reinterpret_cast<const void *>(function), 1))
            return MissingFunction;
    }
    m_table = table;
    return QString();
}

