// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace app {

class MeltSearch;
struct FoundMelt;

// The find window (Ctrl+F): a melt number and Return list that melt's measurements, newest first,
// with technology, moment, temperature and status; Return on one, or a double click, chooses it
// down the window's four lists, which shows it. A search of a folder without a current index shows
// how far it is and leaves the window usable.
class FindMeltDialog : public QDialog
{
public:
    // `folder` names the folder to search when a search starts (the one the lists show);
    // `choose` chooses a measurement of it down the lists and says whether that worked.
    FindMeltDialog(std::function<QString()> folder, std::function<bool(const QString &fileName)> choose,
                   QWidget *parent);
    ~FindMeltDialog() override;

    // Opens the window, or brings it forward, with the melt number ready to be typed over.
    void open();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search();
    void add(const FoundMelt &found);
    void keepOnly(const QStringList &fileNames);
    void progress(qint64 done, qint64 total);
    void finish(int count, bool listed);
    void chooseItem(QTreeWidgetItem *item);

    std::function<QString()> folder;
    std::function<bool(const QString &)> chooseMeasurement;
    MeltSearch *meltSearch;
    QLineEdit *meltField;
    QTreeWidget *foundList;
    QProgressBar *progressBar;
    QLabel *statusLine;
    QString searchedFolder;
};

// Gives the window Ctrl+F: opens its find window, made at the first use.
void addFindMelt(QWidget *window, std::function<QString()> folder,
                 std::function<bool(const QString &fileName)> choose);

} // namespace app
