#pragma once

#include "core/commandtable.h"

#include <QHash>
#include <QMainWindow>

class QLabel;
class QLineEdit;

// The measurement sheet: the program's main window and the Sheet every
// command works on.
class SheetWindow : public QMainWindow, public Sheet
{
    Q_OBJECT
public:
    // What `services` refers to must outlive the window.
    explicit SheetWindow(const Services &services, QWidget *parent = nullptr);

    // Each row's command runs on a click of the button, or a trigger of the
    // menu entry, of that name.
    void bind(const CommandTable &commands);

    QString text(const QString &field) const override;
    void setText(const QString &field, const QString &text) override;
    QString caption(const QString &label) const override;

private:
    void buildControls();
    void buildMenus();

    const Services m_services;
    QHash<QString, QLineEdit *> m_fields;
    QHash<QString, QLabel *> m_labels;
};
