// What a screen reader finds without a name: an input or a button whose accessible
// name is empty, walking the accessibility tree of a window.
#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QObject>
#include <QStringList>

namespace vireta {

inline bool needsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::EditableText:
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::List:
    case QAccessible::ComboBox:
    case QAccessible::PageTab:
        return true;
    default:
        return false;
    }
}

inline void collectUnnamed(QAccessibleInterface* node, QStringList& unnamed, int depth = 0) {
    if (!node || depth > 40)
        return;
    if (!node->state().invisible && needsName(node->role()) &&
        node->text(QAccessible::Name).trimmed().isEmpty()) {
        QObject* object = node->object();
        unnamed << (object ? object->objectName() + "/" + object->metaObject()->className()
                           : QStringLiteral("(role %1)").arg(node->role()));
    }
    for (int i = 0; i < node->childCount(); ++i)
        collectUnnamed(node->child(i), unnamed, depth + 1);
}

} // namespace vireta
