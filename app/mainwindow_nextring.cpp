// The time to the next ring, shown in the tray's tool tip and menu once a second.
#include "app/mainwindow.h"

#include "app/clock.h"
#include "app/schedule.h"
#include "storage/storagefile.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMediaPlayer>

void MainWindow::ShuaXingXiaYiCiNaoLing()
{
    if (m_entryCount <= 0)
        return; // the last text stays, as it was when the last entry went

    // Only enabled entries that are silent count: a ringing one is not "next".
    QList<Schedule::RingSource> sources;
    QList<int> rows;
    for (int i = 0; i < qMin(m_entryCount, kSlots); ++i) {
        nextRingList[i].clear();
        if (!qmp[i] || qmp[i]->state() != QMediaPlayer::StoppedState || !qcb[i]->isChecked())
            continue;
        const QString type = ql4[i]->text();
        if (type != StorageFile::kAlarm && type != StorageFile::kTimer)
            continue;
        const bool alarm = type == StorageFile::kAlarm;
        sources << Schedule::RingSource{alarm, alarm ? ql2[i]->text() : timeText[i], repeatDays[i]};
        rows << i;
    }

    const QDateTime now = Clock::now();
    const Schedule::NextRing next = Schedule::nextRing(sources, now.time(), now.date().dayOfWeek());
    for (int n = 0; n < rows.size(); ++n) {
        for (int seconds : next.candidates.at(n))
            nextRingList[rows.at(n)] << QString::number(seconds);
    }

    const QString text = Schedule::formatDuration(next.seconds);
    ql_tuoPanSuoXuShiJian->setText(text);
    const QString shown = next.seconds / Schedule::kDay == 7 ? QStringLiteral("无响铃") : text;
    qsti->setToolTip(QStringLiteral("下一次响铃所需时间：") + shown);
    qa_tuoPanSuoXuShiJian->setText(shown);
}
