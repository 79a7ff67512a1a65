#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// The D-Bus records of the StatusNotifierItem and com.canonical.dbusmenu
// interfaces, with their wire signatures. Hosts are strict about these: a
// tool tip sent as anything but (sa(iiay)ss) is dropped without a word.

// (iiay): one size of an icon, width × height pixels of ARGB32 in network
// byte order (A, R, G, B for each pixel, straight alpha).
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;

    static SniPixmap fromImage(const QImage& image);
};
using SniPixmapList = QList<SniPixmap>; // a(iiay)

// (sa(iiay)ss): icon name, icon pixmaps, title, description.
struct SniToolTip {
    QString iconName;
    SniPixmapList pixmaps;
    QString title;
    QString text;
};

// (ia{sv}av): a menu item, its properties and its children, each child a
// variant holding another (ia{sv}av).
struct DBusMenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayout> children;
};

// (ia{sv}): the properties of one item.
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>; // a(ia{sv})

// (isvu): one event of an EventGroup call.
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>; // a(isvu)

// aas: a menu item's shortcut, one list of key names per key combination.
using DBusMenuShortcut = QList<QStringList>;

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)
Q_DECLARE_METATYPE(DBusMenuLayout)
Q_DECLARE_METATYPE(DBusMenuItemProperties)
Q_DECLARE_METATYPE(DBusMenuEvent)

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& toolTip);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

// Makes the records above known to QtDBus; needed before an object that
// uses them is registered on a connection. Safe to call more than once.
void registerStatusNotifierTypes();
