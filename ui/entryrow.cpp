#include "ui/entryrow.h"

#include "core/texts.h"
#include "ui/timelabel.h"

#include <QCheckBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmapCache>

#include <algorithm>

namespace {
const QSize kIconSize(40, 26);
const QSize kTimeSize(60, 30);
const QSize kNameSize(100, 30);
const QSize kBoxSize(40, 30);
const int kRowHeight = 40;
const int kRowMargin = 20;
const QString kBoxStyle = QStringLiteral(
    "QCheckBox::indicator { top: -3px;left: 15px; border: 2px solid black;border-radius: 4px; "
    "width: 16px;height: 16px;} QCheckBox::indicator:checked {image: url(:/res/勾2.png); border: 2px "
    "solid black;}");

QString typeIconPath(Entry::Kind kind, bool enabled)
{
    if (kind == Entry::Kind::Alarm)
        return enabled ? QStringLiteral(":/res/闹钟-彩色.png") : QStringLiteral(":/res/闹钟.png");
    return enabled ? QStringLiteral(":/res/计时器-彩色.png") : QStringLiteral(":/res/计时器.png");
}

// A light grey strip with a line down its middle. Painted from its palette, not a style sheet: a
// sheet is parsed again for every widget that carries one, two per row.
QFrame *verticalLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor(0xd3, 0xd3, 0xd3)); // "lightgray" of a style sheet
    line->setPalette(palette);
    line->setBackgroundRole(QPalette::Window); // not the row button's role, which it would inherit
    line->setAutoFillBackground(true);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    return line;
}

// The grey conversion turns a file icon's transparent background black; dark pixels are made
// clear again so the grey icon sits on the row like the coloured one.
QImage greyWithoutBackground(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QImage shown(grey.size(), QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb px = grey.pixel(x, y);
            const int g = qGray(px);
            shown.setPixel(x, y, g <= 50 ? qRgba(0, 0, 0, 0) : qRgba(g, g, g, qAlpha(px)));
        }
    }
    return shown;
}

} // namespace

EntryRow::EntryRow(QWidget *parent) : QPushButton(parent)
{
    setCheckable(true);
    setAutoExclusive(true); // the checked row is the selected one
    createWidgets();
}

void EntryRow::createWidgets()
{
    m_icon = new QLabel(this);
    m_icon->setFixedSize(kIconSize);
    m_icon->setAlignment(Qt::AlignCenter);
    m_time = new TimeLabel(this);
    m_time->setFixedSize(kTimeSize);
    m_time->setAlignment(Qt::AlignHCenter);
    m_name = new QLabel(this);
    m_name->setFixedSize(kNameSize);
    m_name->setAlignment(Qt::AlignHCenter);
    m_info = new QLabel(this);
    m_info->setAlignment(Qt::AlignLeft);
    m_leftLine = verticalLine(this);
    m_rightLine = verticalLine(this);

    m_box = new QCheckBox(this);
    m_box->setFixedSize(kBoxSize);
    m_box->setFocusPolicy(Qt::NoFocus); // Space on the row toggles it
    QPalette palette = m_box->palette();
    palette.setBrush(QPalette::Active, QPalette::Text, QBrush(Qt::black));
    m_box->setPalette(palette);
    m_box->setStyleSheet(kBoxStyle);
    connect(m_box, &QCheckBox::clicked, this, &EntryRow::enableBoxToggled);
}

void EntryRow::showEntry(const Entry &entry, int windowWidth)
{
    m_entry = entry;
    m_name->setText(entry.name);
    m_info->setText(repeatText(entry));
    setTimeText(entry.timeText());
    setEnableBox(entry.enabled);
    if (hasCommandFile())
        showCommandIcon(entry.enabled);
    else
        showTypeIcon(entry.enabled, Qt::SmoothTransformation);
    if (!layout())
        layOut(windowWidth);
    setFixedSize(windowWidth - kRowMargin, kRowHeight);
    describe();
}

// Stretches are the widgets' widths, so the row keeps its proportions when the window grows.
void EntryRow::layOut(int windowWidth)
{
    const int infoWidth =
        windowWidth - kIconSize.width() - kTimeSize.width() - kNameSize.width() - kBoxSize.width();
    m_info->setFixedSize(infoWidth, 30);
    auto *row = new QHBoxLayout(this);
    row->addWidget(m_icon, kIconSize.width(), Qt::AlignHCenter);
    row->addWidget(m_time, kTimeSize.width(), Qt::AlignHCenter);
    row->addWidget(m_leftLine, 1);
    row->addWidget(m_name, kNameSize.width(), Qt::AlignHCenter);
    row->addWidget(m_rightLine, 1);
    row->addWidget(m_info, infoWidth - 2, Qt::AlignHCenter);
    row->addWidget(m_box, kBoxSize.width());
}

void EntryRow::fitWidth(int windowWidth)
{
    setFixedSize(windowWidth - kRowMargin, kRowHeight);
    m_info->setFixedSize(
        windowWidth - m_icon->width() - m_time->width() - m_name->width() - m_box->width() - 2, 30);
}

void EntryRow::setTimeText(const QString &text, bool inView)
{
    m_time->setBlank(false, inView);
    if (m_time->text() != text)
        m_time->setText(text);
}

void EntryRow::setTimeBlank(bool blank, bool inView)
{
    m_time->setBlank(blank, inView);
}

// A blank label paints nothing, but its text is what a screen reader reads, so it stays current.
void EntryRow::setTimeTextBehindBlank(const QString &text)
{
    if (m_time->text() != text)
        m_time->setText(text);
}

QString EntryRow::timeText() const
{
    return m_time->isBlank() ? QString() : m_time->text();
}

QString EntryRow::nameText() const
{
    return m_name->text();
}

QString EntryRow::repeatShown() const
{
    return m_info->text();
}

QPixmap EntryRow::iconShown() const
{
    return m_icon->pixmap(Qt::ReturnByValue);
}

void EntryRow::setEnableBox(bool on)
{
    if (m_box->isChecked() != on)
        m_box->setChecked(on); // clicked() alone reaches the window: this is not the person's doing
    if (m_entry.enabled != on) {
        m_entry.enabled = on;
        describe();
    }
}

bool EntryRow::isEnableBoxChecked() const
{
    return m_box->isChecked();
}

void EntryRow::showEnabledLook(bool enabled)
{
    if (hasCommandFile())
        showCommandIcon(enabled);
    else
        showTypeIcon(enabled, Qt::FastTransformation);
}

bool EntryRow::hasCommandFile() const
{
    return !m_entry.command.isEmpty() && QFileInfo(m_entry.command).isFile();
}

// Rows share the few scaled type icons: decoding the picture again for each row cost more than
// the rest of making the row.
void EntryRow::showTypeIcon(bool enabled, Qt::TransformationMode mode)
{
    if (!m_entry.unknownType.isEmpty()) {
        m_icon->clear(); // a type it does not know has no picture
        return;
    }
    const QString path = typeIconPath(m_entry.kind, enabled);
    const QString key = QStringLiteral("tavrel-row-icon %1 %2 %3x%4")
                            .arg(path)
                            .arg(int(mode))
                            .arg(m_icon->width())
                            .arg(m_icon->height());
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(QImage(path).scaled(m_icon->size(), Qt::KeepAspectRatio, mode));
        QPixmapCache::insert(key, pixmap);
    }
    m_icon->setPixmap(pixmap);
}

void EntryRow::showCommandIcon(bool enabled)
{
    const QIcon icon = QFileIconProvider().icon(QFileInfo(m_entry.command));
    const QImage image = icon.pixmap(32, 32, QIcon::Normal, QIcon::Off)
                             .toImage()
                             .scaled(m_icon->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_icon->setPixmap(QPixmap::fromImage(enabled ? image : greyWithoutBackground(image)));
}

QString EntryRow::repeatText(const Entry &entry)
{
    if (entry.isTimer())
        return QString();
    if (entry.weekdays.isEmpty())
        return Texts::kRowRepeatPrefix + Texts::kNo;
    QStringList days;
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        if (entry.weekdays.contains(Qt::DayOfWeek(day)))
            days << Entry::dayName(Qt::DayOfWeek(day));
    }
    return Texts::kRowRepeatPrefix + days.join(Texts::kDaySeparator);
}

// A screen reader says the whole row at once ("闹钟 起床 07:30 每周重复：星期一 已启用") and each box
// what it switches.
void EntryRow::describe()
{
    QStringList words{m_entry.isAlarm() ? Texts::kAlarm : Texts::kTimer, m_entry.name, m_entry.timeText()};
    const QString repeat = repeatText(m_entry).trimmed();
    if (!repeat.isEmpty())
        words << repeat;
    words << (m_entry.enabled ? Texts::kEnabledWord : Texts::kDisabledWord);
    setAccessibleName(words.join(QLatin1Char(' ')));
    m_box->setAccessibleName(Texts::kEnableBoxPrefix + m_entry.name);
}

void EntryRow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            m_box->click(); // toggles, and tells the window as a click on the box does
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        setChecked(true);
        emit clicked(true);
        emit editRequested();
        return;
    case Qt::Key_Delete:
        setChecked(true);
        emit clicked(true);
        emit deleteRequested();
        return;
    default:
        QPushButton::keyPressEvent(event);
    }
}

void EntryRow::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space)
        return; // the press did it; a button would click again on release
    QPushButton::keyReleaseEvent(event);
}

// Moving onto a row with Tab selects it, so the tool bar acts on the row the focus is on.
void EntryRow::focusInEvent(QFocusEvent *event)
{
    QPushButton::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
        setChecked(true);
        emit clicked(true);
    }
}

// Rows are one group of exclusive buttons, which Tab would otherwise leave after the first: it
// goes from row to row instead, and on past the last one.
bool EntryRow::focusNextPrevChild(bool next)
{
    QList<EntryRow *> rows = parentWidget()->findChildren<EntryRow *>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(rows.begin(), rows.end(), [](EntryRow *a, EntryRow *b) { return a->y() < b->y(); });
    const int here = rows.indexOf(this) + (next ? 1 : -1);
    if (here < 0 || here >= rows.size())
        return QPushButton::focusNextPrevChild(next);
    rows.at(here)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
