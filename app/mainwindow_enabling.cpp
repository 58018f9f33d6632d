// Enabling and disabling entries: every change of a check box brings all rows in line with their
// boxes and stores every entry's state line.
#include "app/mainwindow.h"

#include "app/ringlog.h"
#include "app/schedule.h"
#include "storage/storagefile.h"
#include "storage/storagemigration.h"

#include <QAction>
#include <QCheckBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>

using namespace StorageFile;

namespace {
QString typeIcon(const QString &type, bool enabled)
{
    if (type == kAlarm)
        return enabled ? QStringLiteral(":/res/闹钟-彩色.png") : QStringLiteral(":/res/闹钟.png");
    return enabled ? QStringLiteral(":/res/计时器-彩色.png") : QStringLiteral(":/res/计时器.png");
}

bool isCommandFile(const QString &path)
{
    return path != kNone && QFileInfo(path).isFile();
}
} // namespace

void MainWindow::QiYongTingYong()
{
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        if (!qpb_BuJuShuZu[i] || !qpb_BuJuShuZu[i]->isChecked())
            continue;
        const bool enable = !qcb[i]->isChecked();
        qcb[i]->setChecked(enable); // runs the synchronisation
        qa_QiYongTingYong->setIcon(
            QIcon(enable ? QStringLiteral(":/res/停用.png") : QStringLiteral(":/res/启用.png")));
    }
}

void MainWindow::Qcb_ZhiBianHua(int a)
{
    Q_UNUSED(a);
    synchronise(qobject_cast<QCheckBox *>(sender()));
}

void MainWindow::ZhiBianHua()
{
    synchronise(nullptr);
}

void MainWindow::synchronise(QCheckBox *clicked)
{
    bool ok = false;
    const QStringList lines = readStorageLines(&ok);
    // A file that cannot be read, or whose header is damaged, is left exactly as it is; the rows
    // are still brought in line, so unchecking a ringing entry always silences it.
    const bool fileUsable = ok && splitFields(lines.value(0)).size() > 1;
    QList<bool> states;
    for (int i = 0; i < qMin(m_entryCount, kSlots) && qcb[i]; ++i) {
        const int typeLine = 1 + i * kRecordLines + 1;
        const QString type = fileUsable ? recordValue(lines.value(typeLine), 2) : ql4[i]->text();
        if (type == kAlarm || type == kTimer) {
            if (qcb[i]->isChecked())
                syncEnabledRow(i, type);
            else
                syncDisabledRow(i, type);
        }
        states << qcb[i]->isChecked();
    }
    if (fileUsable) {
        const QStringList updated = applyStates(lines, states);
        if (updated != lines)
            writeStorageLines(updated);
    }
    for (int i = 0; clicked && i < qMin(m_entryCount, kSlots); ++i) {
        if (qpb_BuJuShuZu[i] && clicked->objectName() == QStringLiteral("qcb") + QString::number(i))
            qpb_BuJuShuZu[i]->setChecked(true); // clicking a check box also selects its row
    }
    Qpb_PanDuan();
}

void MainWindow::syncEnabledRow(int i, const QString &type)
{
    const bool command = isCommandFile(commandPath[i]);
    if (command) {
        const QIcon icon = QFileIconProvider().icon(QFileInfo(commandPath[i]));
        showScaledIcon(i, icon.pixmap(32, 32, QIcon::Normal, QIcon::Off).toImage(), Qt::SmoothTransformation);
    } else {
        showScaledIcon(i, QImage(typeIcon(type, true)), Qt::FastTransformation);
        setTrayIcon(trayIconColoured);
        qa_QiYongTingYong->setIcon(QIcon(QStringLiteral(":/res/停用.png")));
    }
    runState[i] = Schedule::Pending;
    qCInfo(lcRing, "enabled entry=%d ms=%lld", i, RingLog::stamp());
    if (notifyAllowed[i] == 1)
        notifyPending[i] = 1;
    if (command && commandAllowed[i] == 1)
        commandPending[i] = 1;
}

void MainWindow::syncDisabledRow(int i, const QString &type)
{
    if (isCommandFile(commandPath[i]))
        showCommandIcon(i, commandPath[i]); // the grey one
    else
        showScaledIcon(i, QImage(typeIcon(type, false)), Qt::FastTransformation);

    if (qmp[i]->state() == QMediaPlayer::PlayingState) {
        timeText[i] = qlBaoCunShiJian[i]->text(); // a ring cut short: back to the full time
        ql2[i]->setText(timeText[i]);
    } else if (qmp[i]->state() == QMediaPlayer::StoppedState) {
        ql2[i]->setText(timeText[i]); // a countdown keeps what is left
    }
    qmp[i]->stop();
    commandAllowed[i] = 1;
    notifyAllowed[i] = 1;
    ringMinute[i] = -1; // enabled again, it rings again

    bool anyEnabled = false;
    for (int r = 0; r < qMin(m_entryCount, kSlots) && !anyEnabled; ++r)
        anyEnabled = qcb[r] && qcb[r]->isChecked();
    setTrayIcon(anyEnabled ? trayIconColoured : trayIconPlain);
    qa_QiYongTingYong->setIcon(QIcon(QStringLiteral(":/res/启用.png")));
}

void MainWindow::showScaledIcon(int i, const QImage &image, Qt::TransformationMode mode)
{
    rowIconImage[i] = image.scaled(ql[i]->size(), Qt::KeepAspectRatio, mode);
    ql[i]->setPixmap(QPixmap::fromImage(rowIconImage[i]));
}
