#include "platform/ui/FileDD.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct TDrag {
    QWidget& target;
    // Enter then drop; whether the enter was accepted.
    bool Enter(QMimeData& data, Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        QDragEnterEvent e(QPoint(5, 6), Qt::CopyAction | Qt::MoveAction, &data, buttons, mods);
        QApplication::sendEvent(&target, &e);
        return e.isAccepted();
    }
    bool Drop(QMimeData& data, Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        QDropEvent e(QPointF(5, 6), Qt::CopyAction | Qt::MoveAction, &data, buttons, mods);
        QApplication::sendEvent(&target, &e);
        return e.isAccepted();
    }
};

} // namespace

TEST(FileDD, DroppedFilesArriveInOrderAndOtherDragsAreRefused)
{
    QWidget panel;
    TFileDD dd(&panel);
    EXPECT_TRUE(panel.acceptDrops());
    QStringList got;
    qint32 keys = -1;
    QPoint at;
    int textDrops = 0;
    dd.OnDropFiles = [&](const QStringList& files, qint32 k, QPoint pt, qint32& effect) {
        got = files;
        keys = k;
        at = pt;
        EXPECT_EQ(effect, DROPEFFECT_COPY);
    };
    dd.OnDropText = [&](const QString&, qint32, QPoint, qint32&) { ++textDrops; };
    TDrag drag{panel};

    const QString longPath = QStringLiteral("/tmp/") + QString(300, u'x') + QStringLiteral("/表示ソ.jpg");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/b.jpg")), QUrl::fromLocalFile(longPath),
                   QUrl::fromLocalFile(QStringLiteral("/tmp/a.bmp"))});
    files.setText(QStringLiteral("also text")); // files win
    EXPECT_TRUE(drag.Enter(files));
    EXPECT_TRUE(drag.Drop(files, Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier));
    EXPECT_EQ(got, (QStringList{QStringLiteral("/tmp/b.jpg"), longPath, QStringLiteral("/tmp/a.bmp")}));
    EXPECT_EQ(keys, MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(at, panel.mapToGlobal(QPoint(5, 6)));
    EXPECT_EQ(textDrops, 0);

    // An image alone: refused on entering, and a drop does nothing.
    got.clear();
    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_FALSE(drag.Enter(image));
    EXPECT_FALSE(drag.Drop(image));
    // A web address is no file: it comes as text.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.invalid/a.jpg"))});
    EXPECT_TRUE(drag.Enter(web));
    EXPECT_TRUE(drag.Drop(web));
    EXPECT_TRUE(got.isEmpty());
    EXPECT_EQ(textDrops, 1);

    // Text alone, trimmed of control characters and spaces only.
    QString text;
    dd.OnDropText = [&](const QString& t, qint32, QPoint, qint32&) { text = t; };
    QMimeData words;
    words.setText(QStringLiteral(" \t　表示ソ\n"));
    EXPECT_TRUE(drag.Enter(words));
    EXPECT_TRUE(drag.Drop(words));
    EXPECT_EQ(text, QStringLiteral("　表示ソ"));

    // Revoked: the panel takes no drops and no handler is called.
    dd.Revoke();
    dd.Revoke();
    EXPECT_FALSE(panel.acceptDrops());
    got.clear();
    drag.Enter(files);
    drag.Drop(files);
    EXPECT_TRUE(got.isEmpty());
}
