#pragma once
// Controls placed at their designed positions and named as the windows' code knows them
// (object names are how a handler tells which control called it).

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRect>
#include <QString>

namespace vellumo {

inline QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption,
                                QRect place) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    return b;
}

inline QLabel* NamedLabel(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(place);
    return l;
}

inline QCheckBox* NamedCheck(QWidget* parent, const char* name, const QString& caption,
                             QRect place) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(place);
    return c;
}

inline QAction* NamedAction(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

}  // namespace vellumo
