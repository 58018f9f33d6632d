// New, edit and delete: the tool bar commands that change the list, and what the editor's save
// reaches into the window for.
#include "app/mainwindow.h"

#include "editor/entryrecord.h"
#include "editor/xingjianchuangkou.h"
#include "storage/storagefile.h"
#include "widgets/prompt.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QMediaPlaylist>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace StorageFile;

namespace {
const QString kNotReady = QStringLiteral("后台加载尚未完成，请稍后再试。");
const QString kDeleted = QStringLiteral("删除成功。");
const QString kUnreadable = QStringLiteral("无法读取存储文件，本次没有更改，请稍后再试。");
const QString kUnwritable = QStringLiteral("无法写入存储文件，条目没有删除，请检查文档目录后再试。");

QUrl soundUrl(const QString &sound)
{
    return sound == kDefaultSound ? QUrl(kDefaultSoundUrl) : QUrl::fromLocalFile(sound);
}
} // namespace

void MainWindow::XingJian()
{
    if (!editorReady())
        return;
    xjck->setEditFlag(0);
    xjck->exec();
}

void MainWindow::BianJi()
{
    if (!editorReady())
        return;
    const int n = selectedRow();
    if (n < 0)
        return;
    bool ok = false;
    const QStringList lines = readStorageLines(&ok);
    if (!ok || n >= EntryRecord::storedRecords(lines)) {
        Prompt::show(this, kUnreadable);
        return;
    }
    const auto field = [&](int k) { return EntryRecord::recordField(lines, n + 1, k); };
    xjck->BianJiChuanRu(n + 1, field(2), field(3), field(4), field(5), field(6), field(7), field(8),
                        field(9));
    xjck->exec();
}

void MainWindow::ShanChu()
{
    const int n = selectedRow();
    if (n < 0)
        return;
    bool ok = false;
    QStringList lines = readStorageLines(&ok);
    if (!ok || n >= EntryRecord::storedRecords(lines)) {
        Prompt::show(this, kUnreadable);
        return;
    }
    if (!confirmDelete(lines, n + 1))
        return;
    // The tick may have rewritten state lines while the question was open: start from the file
    // as it is now, not as it was.
    lines = readStorageLines(&ok);
    if (!ok || n >= EntryRecord::storedRecords(lines)) {
        Prompt::show(this, kUnreadable);
        return;
    }
    if (!writeStorageLines(EntryRecord::removeRecord(lines, n + 1))) {
        Prompt::show(this, kUnwritable);
        return;
    }
    Prompt::show(this, kDeleted);
    moveRowsUp(n + 1, lines);
    setRowConnections(false);
    removeLastRow();
    JiaZai();
    ZhiBianHua();
    setRowConnections(true);
}

bool MainWindow::editorReady()
{
    if (deferredInitDone != 0 && xjck)
        return true;
    Prompt::show(this, kNotReady);
    return false;
}

int MainWindow::selectedRow() const
{
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (qpb_BuJuShuZu[i] && qpb_BuJuShuZu[i]->isChecked())
            return i;
    }
    return -1;
}

bool MainWindow::confirmDelete(const QStringList &lines, int position)
{
    const QString type = EntryRecord::recordField(lines, position, 2);
    const QString name = EntryRecord::recordField(lines, position, 3);
    const QString time = EntryRecord::recordField(lines, position, 4);
    QPointer<QMessageBox> box = new QMessageBox(this);
    box->setText(EntryRecord::deleteQuestion(type, name, time));
    QPushButton *yes = box->addButton(tr("确定"), QMessageBox::AcceptRole);
    box->addButton(tr("取消"), QMessageBox::RejectRole); // also what Esc and the frame's close choose
    box->exec();
    const bool confirmed = box && box->clickedButton() == yes;
    delete box;
    return confirmed;
}

// Every entry below the deleted one moves up a row with its running state, so a timer keeps its
// remaining time and a ringing entry keeps ringing in its new row.
void MainWindow::moveRowsUp(int position, const QStringList &lines)
{
    const int count = qMin(m_entryCount, kSlots);
    bool ringing[kSlots] = {};
    for (int i = 0; i < count; ++i)
        ringing[i] = runState[i] == 0 && qmp[i] && qmp[i]->state() == QMediaPlayer::PlayingState;
    for (int i = position - 1; i <= count - 2; ++i) {
        ql2[i]->setText(ql2[i + 1]->text());
        timeText[i] = timeText[i + 1];
        notifyAllowed[i] = notifyAllowed[i + 1];
        commandAllowed[i] = commandAllowed[i + 1];
        runState[i] = runState[i + 1];
        minuteLatch[i] = minuteLatch[i + 1];
        oneShotDone[i] = oneShotDone[i + 1];
        ringMinute[i] = ringMinute[i + 1];
        notifyPending[i] = notifyPending[i + 1];
        commandPending[i] = commandPending[i + 1];

        qmp[i]->stop();
        qmpl[i]->clear();
        qmpl[i]->addMedia(soundUrl(EntryRecord::recordField(lines, i + 2, 6)));
        qmpl[i]->setPlaybackMode(EntryRecord::recordField(lines, i + 2, 8) == kYes
                                     ? QMediaPlaylist::Loop
                                     : QMediaPlaylist::CurrentItemOnce);
        qmp[i]->setPlaylist(qmpl[i]);
        qmp[i]->setVolume(100);
        if (ringing[i + 1])
            qmp[i]->play();
        qmp[i + 1]->stop();
    }
}

void MainWindow::removeLastRow()
{
    const int last = qMin(m_entryCount, kSlots) - 1;
    if (last < 0 || !qpb_BuJuShuZu[last])
        return;
    qmp[last]->stop();
    QWidget *rowWidgets[] = {ql[last],           ql2[last],          ql3[last],
                             qcb[last],          ql_TianChong[last], chuiZhiXian[last],
                             chuiZhiXian2[last], ql4[last],          qlBaoCunShiJian[last]};
    for (QWidget *w : rowWidgets)
        delete w;
    if (rowLayout[last] && !rowLayout[last]->parent())
        delete rowLayout[last]; // a row never filled still owns its layout
    delete qpb_BuJuShuZu[last]; // takes the installed row layout with it
    delete qmp[last];
    delete qmpl[last];
    qpb_BuJuShuZu[last] = nullptr;
    ql[last] = ql2[last] = ql3[last] = ql4[last] = ql_TianChong[last] = qlBaoCunShiJian[last] = nullptr;
    qcb[last] = nullptr;
    chuiZhiXian[last] = chuiZhiXian2[last] = nullptr;
    rowLayout[last] = nullptr;
    qmp[last] = nullptr;
    qmpl[last] = nullptr;

    rowIconImage[last] = QImage();
    repeatDays[last].clear();
    nextRingList[last].clear();
    timeText[last].clear();
    commandPath[last].clear();
    runState[last] = oneShotDone[last] = notifyPending[last] = commandPending[last] = 0;
    ringMinute[last] = -1;
    commandAllowed[last] = notifyAllowed[last] = minuteLatch[last] = 0;
}

// While rows are removed and reloaded, neither a check box nor the tick may run the scheduler
// on half-moved rows.
void MainWindow::setRowConnections(bool connected)
{
    if (connected) {
        Qpb_BuJuShuZu_LianJie();
        connect(tickTimer, SIGNAL(timeout()), this, SLOT(GengXingShiJian()), Qt::UniqueConnection);
        return;
    }
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (qcb[i])
            disconnect(qcb[i], SIGNAL(stateChanged(int)), this, SLOT(Qcb_ZhiBianHua(int)));
    }
    disconnect(tickTimer, SIGNAL(timeout()), this, SLOT(GengXingShiJian()));
}

QStringList MainWindow::readStorage(bool *ok)
{
    return readStorageLines(ok);
}

bool MainWindow::writeStorage(const QStringList &lines)
{
    return writeStorageLines(lines);
}

void MainWindow::showSavedTime(int i, const QString &time)
{
    if (i < 0 || i >= kSlots || !ql2[i])
        return;
    timeText[i] = time;
    ql2[i]->setText(time);
}

void MainWindow::reloadEditedSound(int i, const QString &sound)
{
    if (i < 0 || i >= kSlots || !qmp[i])
        return;
    qmpl[i]->clear();
    qmpl[i]->addMedia(soundUrl(sound));
    qmp[i]->stop();
}

void MainWindow::clearMinuteLatches()
{
    for (int &latch : minuteLatch)
        latch = 0;
}
