// The editor dialog's widgets, its two modes, the repeat list, the reset and the ways out.
#include "ui/entryeditor.h"

#include "core/texts.h"
#include "ui/prompt.h"
#include "ui/timespinbox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace Texts;

namespace {

const QSize kTypeIconSize(30, 30);
const int kAlarmMaximumHours = 23;
const int kTimerMaximumHours = 99;
const QRect kAlarmTimeGeometry(45, 85, 140, 30);
const QRect kTimerTimeGeometry(45, 85, 160, 30);
const QRect kAlarmHintGeometry(190, 80, 205, 40);
const QRect kTimerHintGeometry(210, 80, 185, 40);
const QString kAlarmIcon = QStringLiteral(":/res/闹钟.png");
const QString kAlarmIconColoured = QStringLiteral(":/res/闹钟-彩色.png");
const QString kTimerIcon = QStringLiteral(":/res/计时器.png");
const QString kTimerIconColoured = QStringLiteral(":/res/计时器-彩色.png");
const QString kPairSpacer(12, QLatin1Char(' '));

// Where the eight widgets below the time field sit with the repeat list closed and open.
struct LowerPlace
{
    QRect collapsed;
    QRect expanded;
};
const LowerPlace kRepeatListPlace{{5, 121, 390, 16}, {5, 121, 390, 85}};
const LowerPlace kWarningPlace{{5, 143, 40, 16}, {5, 212, 40, 16}};
const LowerPlace kRingLabelPlace{{20, 150, 100, 40}, {20, 220, 100, 40}};
const LowerPlace kSoundButtonPlace{{20, 182, 315, 30}, {20, 252, 315, 30}};
const LowerPlace kPreviewButtonPlace{{335, 182, 60, 30}, {335, 252, 60, 30}};
const LowerPlace kLoopBoxPlace{{20, 204, 100, 40}, {20, 274, 100, 40}};
const LowerPlace kCommandLabelPlace{{20, 250, 60, 30}, {20, 320, 60, 30}};
const LowerPlace kCommandButtonPlace{{84, 250, 310, 30}, {84, 320, 310, 30}};

QFont withPointSize(QFont font, int size)
{
    font.setPointSize(size);
    return font;
}

void takeAwaySelectAndEdit(QTreeWidgetItem *item)
{
    item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEditable));
}

} // namespace

// The four columns of the repeat summary: "重复：" + day 1, then the rest two by two, the pairs
// joined by twelve spaces. No days reads "重复：一次".
QStringList EntryEditor::repeatSummary(const QStringList &days)
{
    QStringList columns{QString(), QString(), QString(), QString()};
    if (days.isEmpty()) {
        columns[0] = kRepeatOnce;
        return columns;
    }
    columns[0] = kRepeatPrefix + days.at(0);
    for (int c = 1; c < 4; ++c) {
        const int first = 2 * c - 1;
        if (first >= days.size())
            break;
        columns[c] = days.at(first);
        if (first + 1 < days.size())
            columns[c] += kPairSpacer + days.at(first + 1);
    }
    return columns;
}

EntryEditor::EntryEditor(QWidget *parent) : QDialog(parent)
{
    setFixedSize(400, 400);
    move(Prompt::centredPosition(Prompt::desktopSize(), size()));
    setWindowTitle(kNewTitle);
    createWidgets();
    setUpTopHalf();
    setUpLowerHalf();
    fillRepeatList();
    labelForScreenReaders();
    connectSignals();
}

EntryEditor::~EntryEditor()
{
    stopPreview();
}

void EntryEditor::setStore(Store store)
{
    m_store = std::move(store);
}

// Creation order is also the order the keyboard focus follows; the weekday boxes come after the
// repeat list so they sit on top of its rows.
void EntryEditor::createWidgets()
{
    m_alarmButton = new QPushButton(kAlarm, this);
    m_timerButton = new QPushButton(kTimer, this);
    m_nameLabel = new QLabel(kNameLabel, this);
    m_nameEdit = new QLineEdit(this);
    m_timeLabel = new QLabel(kTimeLabel, this);
    m_timeEdit = new TimeSpinBox(this);
    m_hintLabel = new QLabel(this);
    m_repeatList = new QTreeWidget(this);
    for (int d = 0; d < 7; ++d)
        m_dayBoxes[d] = new QCheckBox(kDayNames.at(d), this);
    m_summaryItem = new QTreeWidgetItem;
    for (QTreeWidgetItem *&row : m_dayRows)
        row = new QTreeWidgetItem;
    m_warningLabel = new QLabel(kWarningLabel, this);
    m_ringLabel = new QLabel(kRingLabel, this);
    m_soundButton = new QPushButton(this);
    m_previewButton = new QPushButton(kPlay, this);
    m_loopBox = new QCheckBox(kLoopBox, this);
    m_commandLabel = new QLabel(kCommandLabel, this);
    m_commandButton = new QPushButton(this);
    m_saveButton = new QPushButton(kSave, this);
    m_closeButton = new QPushButton(kClose, this);
    nameWidgets();
}

// Names to find the widgets by from outside (tests, scripts); nothing inside relies on them.
void EntryEditor::nameWidgets()
{
    const struct
    {
        QObject *object;
        const char *name;
    } named[] = {
        {m_alarmButton, "alarmButton"}, {m_timerButton, "timerButton"},   {m_nameLabel, "nameLabel"},
        {m_nameEdit, "nameEdit"},       {m_timeLabel, "timeLabel"},       {m_timeEdit, "timeEdit"},
        {m_hintLabel, "hintLabel"},     {m_repeatList, "repeatList"},     {m_warningLabel, "warningLabel"},
        {m_ringLabel, "ringLabel"},     {m_soundButton, "soundButton"},   {m_previewButton, "previewButton"},
        {m_loopBox, "loopBox"},         {m_commandLabel, "commandLabel"}, {m_commandButton, "commandButton"},
        {m_saveButton, "saveButton"},   {m_closeButton, "closeButton"}};
    for (const auto &n : named)
        n.object->setObjectName(QLatin1String(n.name));
    for (int d = 0; d < 7; ++d)
        m_dayBoxes[d]->setObjectName(QStringLiteral("dayBox%1").arg(d + 1)); // 1: Monday
}

void EntryEditor::setUpTopHalf()
{
    m_alarmButton->setGeometry(5, 5, 195, 40);
    m_timerButton->setGeometry(200, 5, 195, 40);
    for (QPushButton *type : {m_alarmButton, m_timerButton}) {
        type->setAutoExclusive(true);
        type->setCheckable(true);
    }
    showTypeButtons(Entry::Kind::Alarm);
    m_nameLabel->setGeometry(5, 45, 80, 40);
    m_nameEdit->setText(kAlarm);
    m_nameEdit->setGeometry(45, 51, 350, 28);
    m_nameEdit->setMaxLength(kNameLength);
    m_timeLabel->setGeometry(5, 80, 80, 40);
    m_timeEdit->setSeconds(0);
    showTimeField(Entry::Kind::Alarm);
}

void EntryEditor::setUpLowerHalf()
{
    m_repeatList->header()->setFixedHeight(0);
    m_repeatList->setColumnCount(4);
    m_repeatList->setAnimated(false);
    m_repeatList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_repeatList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (QCheckBox *day : m_dayBoxes) {
        day->setFont(withPointSize(day->font(), 7));
        day->setVisible(false);
    }
    QFont bold = m_warningLabel->font();
    bold.setWeight(QFont::Bold);
    m_warningLabel->setFont(bold);
    m_soundButton->setText(kDefaultSoundCaption);
    m_loopBox->setChecked(true);
    m_commandButton->setText(kNoCommandCaption);
    placeLowerHalf(false);
    m_saveButton->setGeometry(270, 355, 60, 40);
    m_closeButton->setGeometry(335, 355, 60, 40);
    // Enter saves; without this it would press whichever button happens to come first.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    m_saveButton->setDefault(true);
}

// The summary row, and three rows under it whose cells the weekday boxes cover: Monday to
// Wednesday, Thursday to Saturday, Sunday, in columns 1 to 3.
void EntryEditor::fillRepeatList()
{
    m_summaryItem->setText(0, kRepeatOnce);
    for (int c = 0; c < 4; ++c)
        m_summaryItem->setData(c, Qt::FontRole, withPointSize(m_repeatList->font(), 7));
    takeAwaySelectAndEdit(m_summaryItem);
    m_repeatList->addTopLevelItem(m_summaryItem);
    for (QTreeWidgetItem *row : m_dayRows) {
        takeAwaySelectAndEdit(row);
        m_summaryItem->addChild(row);
    }
    m_summaryItem->setExpanded(false);
}

// The boxes are the dialog's own children laid over the cells rather than the list's item
// widgets: item widgets are invisible to screen readers, which see only empty cells.
void EntryEditor::placeDayBoxes()
{
    if (!m_repeatListOpen)
        return;
    for (int d = 0; d < 7; ++d) {
        const int column = d % 3 + 1;
        const QRect row = m_repeatList->visualItemRect(m_dayRows[d / 3]);
        const QRect rect(m_repeatList->header()->sectionViewportPosition(column), row.y(),
                         m_repeatList->columnWidth(column), row.height());
        const QPoint topLeft = m_repeatList->viewport()->mapTo(this, rect.topLeft());
        // The last column runs to the list's edge; a box must not stick out past it.
        const QRect visible = rect.intersected(m_repeatList->viewport()->rect());
        m_dayBoxes[d]->setGeometry(QRect(topLeft, visible.size()));
        m_dayBoxes[d]->raise();
    }
}

void EntryEditor::labelForScreenReaders()
{
    m_nameLabel->setBuddy(m_nameEdit);
    m_timeLabel->setBuddy(m_timeEdit);
    m_ringLabel->setBuddy(m_soundButton);
    m_commandLabel->setBuddy(m_commandButton);
    // A button's name is its caption, which for a chosen file is just the file's name.
    m_soundButton->setAccessibleDescription(kRingLabel);
    m_commandButton->setAccessibleDescription(kCommandLabel);
    m_repeatList->setAccessibleName(kRepeatPrefix);
    m_timeEdit->setAccessibleDescription(kAlarmHint);
}

void EntryEditor::connectSignals()
{
    connect(m_alarmButton, &QPushButton::clicked, this, &EntryEditor::showAlarmMode);
    connect(m_timerButton, &QPushButton::clicked, this, &EntryEditor::showTimerMode);
    connect(m_repeatList, &QTreeWidget::itemExpanded, this, &EntryEditor::repeatListToggled);
    connect(m_repeatList, &QTreeWidget::itemCollapsed, this, &EntryEditor::repeatListToggled);
    // toggled, not clicked: a screen reader ticks a box without clicking it.
    for (QCheckBox *day : m_dayBoxes)
        connect(day, &QCheckBox::toggled, this, &EntryEditor::dayToggled);
    connect(m_previewButton, &QPushButton::clicked, this, &EntryEditor::togglePreview);
    connect(m_saveButton, &QPushButton::clicked, this, &EntryEditor::save);
    connect(m_closeButton, &QPushButton::clicked, this, &EntryEditor::closeAndReset);
    // The mouse works these two through the event filter; the keyboard and screen readers click.
    connect(m_soundButton, &QPushButton::clicked, this, [this] { chooseFile(m_soundButton); });
    connect(m_commandButton, &QPushButton::clicked, this, [this] { chooseFile(m_commandButton); });
    m_soundButton->installEventFilter(this);
    m_commandButton->installEventFilter(this);
}

void EntryEditor::placeLowerHalf(bool expanded)
{
    const struct
    {
        QWidget *widget;
        const LowerPlace &place;
    } lower[] = {{m_repeatList, kRepeatListPlace},       {m_warningLabel, kWarningPlace},
                 {m_ringLabel, kRingLabelPlace},         {m_soundButton, kSoundButtonPlace},
                 {m_previewButton, kPreviewButtonPlace}, {m_loopBox, kLoopBoxPlace},
                 {m_commandLabel, kCommandLabelPlace},   {m_commandButton, kCommandButtonPlace}};
    for (const auto &item : lower)
        item.widget->setGeometry(expanded ? item.place.expanded : item.place.collapsed);
}

// Every expand and every collapse of the summary item arrives here exactly once.
void EntryEditor::repeatListToggled()
{
    m_repeatListOpen = !m_repeatListOpen;
    placeLowerHalf(m_repeatListOpen);
    placeDayBoxes();
    for (QCheckBox *day : m_dayBoxes)
        day->setVisible(m_repeatListOpen);
}

void EntryEditor::openRepeatList(bool open)
{
    if (m_summaryItem->isExpanded() != open)
        m_summaryItem->setExpanded(open); // the signal moves the widgets
}

void EntryEditor::showSummary(const QStringList &days)
{
    const QStringList columns = repeatSummary(days);
    for (int c = 0; c < 4; ++c)
        m_summaryItem->setText(c, columns.at(c));
    m_repeatList->setAccessibleName(columns.join(QLatin1Char(' ')).simplified());
}

Weekdays EntryEditor::checkedDays() const
{
    Weekdays days;
    for (int d = 0; d < 7; ++d) {
        if (m_dayBoxes[d]->isChecked())
            days.insert(Qt::DayOfWeek(d + 1));
    }
    return days;
}

QStringList EntryEditor::dayNames(const Weekdays &days)
{
    QStringList names;
    for (int d = 0; d < 7; ++d) {
        if (days.contains(Qt::DayOfWeek(d + 1)))
            names << kDayNames.at(d);
    }
    return names;
}

void EntryEditor::setDays(const Weekdays &days)
{
    for (int d = 0; d < 7; ++d)
        m_dayBoxes[d]->setChecked(days.contains(Qt::DayOfWeek(d + 1)));
    showSummary(dayNames(days));
}

void EntryEditor::dayToggled()
{
    showSummary(dayNames(checkedDays()));
}

void EntryEditor::showTypeButtons(Entry::Kind kind)
{
    const bool alarm = kind == Entry::Kind::Alarm;
    m_kind = kind;
    m_alarmButton->setIcon(QIcon(alarm ? kAlarmIconColoured : kAlarmIcon));
    m_timerButton->setIcon(QIcon(alarm ? kTimerIcon : kTimerIconColoured));
    m_alarmButton->setIconSize(kTypeIconSize);
    m_timerButton->setIconSize(kTypeIconSize);
    QPushButton *chosen = alarm ? m_alarmButton : m_timerButton;
    chosen->setChecked(true); // auto-exclusive: the other one goes out
    chosen->setFocus(Qt::OtherFocusReason);
}

// The value stays: seconds set for a timer are kept, only not shown, while the field shows an
// alarm; a timer of a day or more is cut to 23:59 by the alarm's limit.
void EntryEditor::showTimeField(Entry::Kind kind)
{
    const bool alarm = kind == Entry::Kind::Alarm;
    m_timeEdit->setGeometry(alarm ? kAlarmTimeGeometry : kTimerTimeGeometry);
    m_timeEdit->setShowsSeconds(!alarm);
    m_timeEdit->setMaximumHours(alarm ? kAlarmMaximumHours : kTimerMaximumHours);
    m_hintLabel->setText(alarm ? kAlarmHint : kTimerHint);
    m_hintLabel->setGeometry(alarm ? kAlarmHintGeometry : kTimerHintGeometry);
    m_timeEdit->setAccessibleDescription(alarm ? kAlarmHint : kTimerHint);
}

void EntryEditor::showAlarmMode()
{
    showTypeButtons(Entry::Kind::Alarm);
    m_nameEdit->setText(kAlarm);
    showTimeField(Entry::Kind::Alarm);
    setHintPointSize(10);
    m_repeatList->setEnabled(true);
}

void EntryEditor::showTimerMode()
{
    showTypeButtons(Entry::Kind::Timer);
    m_nameEdit->setText(kTimer);
    showTimeField(Entry::Kind::Timer);
    setHintPointSize(8);
    setDays(Weekdays()); // timers never carry weekdays
    openRepeatList(false);
    m_repeatList->setEnabled(false);
}

void EntryEditor::startNewEntry()
{
    reset();
    m_editedRow = -1;
    m_keptEnabled = true;
}

void EntryEditor::reset()
{
    setWindowTitle(kNewTitle);
    showTypeButtons(Entry::Kind::Alarm);
    m_nameEdit->setMaxLength(kNameLength); // a long stored name widened it
    m_nameEdit->setText(kAlarm);
    m_timeEdit->setSeconds(0);
    showTimeField(Entry::Kind::Alarm);
    openRepeatList(false);
    m_repeatList->setEnabled(true);
    setDays(Weekdays());
    showSound(QString());
    showCommand(QString());
    stopPreview();
    m_loopBox->setChecked(true);
}

void EntryEditor::closeAndReset()
{
    close(); // closeEvent resets
}

void EntryEditor::closeEvent(QCloseEvent *event)
{
    reset();
    m_editedRow = -1;
    event->accept(); // hiding the dialog ends the caller's exec()
}

void EntryEditor::reject()
{
    close();
}

void EntryEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    placeDayBoxes(); // the list's rows have their final places only once it is laid out
}

// Only the mode switches and loading size the hint; a new dialog keeps the default font.
void EntryEditor::setHintPointSize(int size)
{
    m_hintLabel->setFont(withPointSize(m_hintLabel->font(), size));
}
