#include "sheetwindow.h"

#include "core/fields.h"
#include "core/names.h"
#include "core/version.h"
#include "files/commands.h"
#include "sheet/sheetlayout.h"
#include "sheet/wrapbutton.h"
#include "ui/linecontrol.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>

using namespace SheetLayout;
using Twips::pixels;

namespace {

QFont faceFont(Face face)
{
    struct Typeface { const char *family; double points; };
    static const Typeface typefaces[] = {{"Tahoma", 8.25},          {"Tahoma", 9.75},
                                         {"Tahoma", 6},             {"Times New Roman", 9},
                                         {"CG Omega", 8.25},        {"Liberation Sans Narrow", 8.25}};
    const Typeface &typeface = typefaces[int(face)];
    return Look::face(typeface.family, typeface.points);
}

QRect pixelRect(const Control &c)
{
    return QRect(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height));
}

void paint(QWidget *widget, const Control &c, QPalette::ColorRole back, QPalette::ColorRole fore)
{
    QPalette palette = widget->palette();
    if (c.background != Unset)
        palette.setColor(back, QColor::fromRgb(c.background));
    if (c.foreground != Unset)
        palette.setColor(fore, QColor::fromRgb(c.foreground));
    widget->setPalette(palette);
}

// A name the sheet does not have is a fault in the calling code: it is
// reported in every build, and the caller goes on without the widget.
template <typename Widget>
Widget *lookUp(const QHash<QString, Widget *> &widgets, const QString &name, const char *kind)
{
    Widget *widget = widgets.value(name);
    if (!widget)
        qCritical("SheetWindow: no %s named \"%s\"", kind, qPrintable(name));
    return widget;
}

} // namespace

SheetWindow::SheetWindow(const Services &services, QWidget *parent)
    : QMainWindow(parent), m_services(services)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vevurid") + Version::Full);
    setFont(faceFont(Face::Window));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(Look::Silver));
    setPalette(palette);

    buildMenus();
    buildControls();
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    // The sheet keeps its size at the top left; the window's border may make
    // it larger or smaller all the same.
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
}

void SheetWindow::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    QHash<QString, QWidget *> parents = {{QString(), client}};
    for (const Control &c : controls()) {
        QWidget *parent = parents.value(QString::fromLatin1(c.parent));
        const QString name = QString::fromLatin1(c.name);
        const QString caption = QString::fromUtf8(c.caption);
        QWidget *widget = nullptr;
        switch (c.kind) {
        case Kind::Label: {
            auto *label = new QLabel(caption, parent);
            label->setWordWrap(c.width != 0);
            if (c.alignRight)
                label->setAlignment(Qt::AlignRight | Qt::AlignTop);
            else
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            m_labels.insert(name, label);
            widget = label;
            break;
        }
        case Kind::TextBox: {
            auto *box = new QLineEdit(Fields::initialText(name), parent);
            box->setAccessibleName(Fields::description(name));
            // The particulars' boxes are too low for a border around their text.
            box->setFrame(c.height >= 255);
            m_fields.insert(name, box);
            widget = box;
            paint(widget, c, QPalette::Base, QPalette::Text);
            break;
        }
        case Kind::Button:
            widget = new WrapButton(caption, parent);
            paint(widget, c, QPalette::Button, QPalette::ButtonText);
            break;
        case Kind::Frame:
            widget = new QGroupBox(caption, parent);
            parents.insert(name, widget);
            break;
        }
        widget->setObjectName(name);
        widget->setFont(faceFont(c.face));
        if (c.width == 0)
            widget->adjustSize();
        widget->setGeometry(c.width == 0 ? QRect(QPoint(pixels(c.left), pixels(c.top)), widget->size())
                                         : pixelRect(c));
    }
    QWidget *frame = parents.value(QLatin1String(Frame));
    for (const Line &line : lines()) {
        auto *control = new LineControl(QPoint(pixels(line.x1), pixels(line.y1)),
                                        QPoint(pixels(line.x2), pixels(line.y2)), Qt::black, 1, frame);
        control->setObjectName(QString::fromLatin1(line.name));
    }
    m_labels.value(Label::Separator)->lower();

    // Five "Salva" and five "Carica" buttons share their captions; a screen
    // reader tells every save and load button apart by the field it keeps.
    for (const Files::ValueFile &v : Files::valueFiles()) {
        const QString what = Fields::description(QLatin1String(v.field));
        client->findChild<QWidget *>(QLatin1String(v.saveButton))
            ->setAccessibleDescription(QStringLiteral("Salva ") + what);
        client->findChild<QWidget *>(QLatin1String(v.loadButton))
            ->setAccessibleDescription(QStringLiteral("Carica ") + what);
    }

    const QStringList &order = tabOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(client->findChild<QWidget *>(order[i - 1]), client->findChild<QWidget *>(order[i]));
    client->findChild<QWidget *>(order.first())->setFocus();
}

void SheetWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    QHash<QString, QMenu *> menus;
    for (const MenuEntry &e : menuEntries()) {
        QMenu *&menu = menus[QString::fromLatin1(e.menu)];
        if (!menu) {
            menu = bar->addMenu(QString::fromLatin1(e.menuCaption));
            menu->setObjectName(QString::fromLatin1(e.menu));
        }
        QAction *action = menu->addAction(QString::fromLatin1(e.caption));
        action->setObjectName(QString::fromLatin1(e.name));
    }
}

void SheetWindow::bind(const CommandTable &commands)
{
    for (const Binding &binding : commands) {
        const auto run = [this, command = binding.run] {
            command(Context{m_services, *this});
        };
        if (auto *button = findChild<QAbstractButton *>(binding.control))
            connect(button, &QAbstractButton::clicked, this, run);
        else if (auto *entry = findChild<QAction *>(binding.control))
            connect(entry, &QAction::triggered, this, run);
        else
            qCritical("SheetWindow: no button or menu entry named \"%s\" for a command",
                      qPrintable(binding.control));
    }
}

QString SheetWindow::text(const QString &field) const
{
    const QLineEdit *box = lookUp(m_fields, field, "field");
    return box ? box->text() : QString();
}

void SheetWindow::setText(const QString &field, const QString &text)
{
    QLineEdit *box = lookUp(m_fields, field, "field");
    if (!box)
        return;
    box->setText(text);
    box->setCursorPosition(0); // the leading digits are the ones that matter
}

QString SheetWindow::caption(const QString &label) const
{
    const QLabel *shown = lookUp(m_labels, label, "label");
    return shown ? shown->text() : QString();
}
