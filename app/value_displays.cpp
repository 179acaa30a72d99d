#include "app/value_displays.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>

namespace app {

namespace {

const char* const kCaption = "velmarisDisplayCaption";

bool isDisplayLabel(QObject* object)
{
    return qobject_cast<QLabel*>(object) && object->property(kCaption).isValid();
}

class DisplayLabel : public QAccessibleWidget {
public:
    explicit DisplayLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        const auto* label = static_cast<const QLabel*>(object());
        switch (t) {
            case QAccessible::Name:
                return label->property(kCaption).toString();
            case QAccessible::Description:
            case QAccessible::Value:
                return label->text();
            default:
                return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* displayFactory(const QString&, QObject* object)
{
    return isDisplayLabel(object) ? new DisplayLabel(static_cast<QLabel*>(object)) : nullptr;
}

// Qt keeps one chain of update handlers for the whole process and takes a plain function pointer with
// no context, so the handler beneath this one, and whether this one is in the chain yet, can only be
// kept here. Installing once matters: a handler put above this one later (a screen reader's bridge, a
// test's log) would otherwise end up both above and below it.
QAccessible::UpdateHandler below = nullptr;
bool installed = false;

void passOn(QAccessibleEvent* event)
{
    if (below) {
        below(event);
        return;
    }
    // Nothing was installed beneath: the platform's own delivery, with every handler out of the way
    // for this one event.
    const QAccessible::UpdateHandler top = QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(top);
}

void onUpdate(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::NameChanged && isDisplayLabel(event->object())) {
        // A label reports a new text as a new name; for a display the caption stays and the value
        // changes. Both go round the whole chain of handlers again.
        auto* label = static_cast<QLabel*>(event->object());
        QAccessibleEvent description(label, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&description);
        QAccessibleValueChangeEvent value(label, label->text());
        QAccessible::updateAccessibility(&value);
        return;
    }
    passOn(event);
}

void installOnce()
{
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&displayFactory);
    below = QAccessible::installUpdateHandler(&onUpdate);
}

void forgetInterface(QObject* object)
{
    // An interface made before the display was announced is cached; the next query builds the new one.
    if (QAccessibleInterface* cached = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cached));
}

}  // namespace

void announceValues(std::initializer_list<QWidget*> displays)
{
    installOnce();
    for (QWidget* display : displays) {
        if (auto* label = qobject_cast<QLabel*>(display)) {
            label->setProperty(kCaption, label->accessibleName());
            label->setAccessibleName(QString());
            forgetInterface(label);
        } else if (auto* box = qobject_cast<QLineEdit*>(display)) {
            box->setAccessibleDescription(box->text());
            QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString& text) {
                box->setAccessibleDescription(text);
                QAccessibleValueChangeEvent value(box, text);
                QAccessible::updateAccessibility(&value);
            });
        }
    }
}

}  // namespace app
