// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class QComboBox;
class QEvent;

namespace app {

// Long entries of the selection lists (a technology can be as long as a file name allows): the closed
// list shows the current entry elided, with the whole text as its tooltip; the open list is as wide as
// its longest entry, up to the screen's width; and no entry can make the window wider than the screen.
// Entries that fit are drawn exactly as the list draws them itself.
class ListElision : public QObject
{
public:
    explicit ListElision(const QList<QComboBox *> &lists, QObject *parent = nullptr);

    // Whether the list's current entry is shown elided at its present size.
    static bool isElided(const QComboBox *list);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void limitMinimumWidth(QComboBox *list);
    void updateToolTip(QComboBox *list);
    bool paintElided(QComboBox *list);
    void widenOpenList(QComboBox *list, QWidget *popup);

    struct Watched
    {
        QComboBox *list;
        QWidget *popup; // the frame the open list is shown in
    };
    QList<Watched> lists;
};

} // namespace app
