#include "module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

Module::Module(QString name, const char *symbol, QStringList folders)
    : m_name(std::move(name)), m_symbol(symbol), m_folders(std::move(folders))
{
}

QStringList Module::installedFolders()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.path(), QDir::cleanPath(program.filePath(QStringLiteral(VEVURID_MODULE_FROM_PROGRAM)))};
}

QFunctionPointer Module::load(Messages &messages)
{
    if (m_entry)
        return m_entry;
    QString why = NotFound.arg(m_folders.join(QStringLiteral(", ")));
    for (const QString &folder : m_folders) {
        const QString path = QDir(folder).filePath(m_name + QStringLiteral(".so"));
        if (!QFileInfo(path).isFile())
            continue;
        QLibrary library(path);
        if (!library.load()) {
            why = library.errorString();
            break;
        }
        m_entry = library.resolve(m_symbol);
        if (m_entry)
            return m_entry;
        why = NoEntry.arg(QString::fromLatin1(m_symbol));
        library.unload();
        break;
    }
    messages.show(QStringLiteral("Vevurid"), MessageIcon::Warning, LoadFailed.arg(m_name, why));
    return nullptr;
}
