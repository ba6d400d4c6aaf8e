#include "windowmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

WindowModule::WindowModule(QStringList folders) : m_folders(std::move(folders)) {}

WindowModule::WindowModule(const WindowFactory &factory) : m_factory(&factory) {}

QStringList WindowModule::installedFolders()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.path(), QDir::cleanPath(program.filePath(QStringLiteral(VEVURID_MODULE_FROM_PROGRAM)))};
}

const WindowFactory *WindowModule::factory(Messages &messages)
{
    if (m_factory)
        return m_factory;
    QString why = NotFound.arg(m_folders.join(QStringLiteral(", ")));
    for (const QString &folder : m_folders) {
        const QString path = QDir(folder).filePath(Name + QStringLiteral(".so"));
        if (!QFileInfo(path).isFile())
            continue;
        m_library.setFileName(path);
        if (!m_library.load()) {
            why = m_library.errorString();
            break;
        }
        const auto function = reinterpret_cast<WindowFactoryFunction>(m_library.resolve(WindowFactorySymbol));
        m_factory = function ? function() : nullptr;
        if (m_factory)
            return m_factory;
        why = NoFactory;
        m_library.unload();
        break;
    }
    messages.show(QStringLiteral("Vevurid"), MessageIcon::Warning, LoadFailed.arg(Name, why));
    return nullptr;
}
