#include "ui/timespinbox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
const int kSectionStart[] = {0, 3, 6}; // "HH:mm:ss"
const int kSectionWidth = 2;
} // namespace

TimeSpinBox::TimeSpinBox(QWidget *parent) : QAbstractSpinBox(parent)
{
    connect(lineEdit(), &QLineEdit::textEdited, this, &TimeSpinBox::textEdited);
    showValue();
}

void TimeSpinBox::setSeconds(int seconds)
{
    const int clamped = qBound(0, seconds, maximumSeconds());
    const bool changed = clamped != m_seconds;
    m_seconds = clamped;
    showValue();
    if (changed)
        emit secondsChanged(m_seconds);
}

void TimeSpinBox::setShowsSeconds(bool shows)
{
    m_showsSeconds = shows;
    m_typed.clear();
    showValue();
}

void TimeSpinBox::setMaximumHours(int hours)
{
    m_maximumHours = qBound(0, hours, 99); // two digits
    setSeconds(m_seconds);
}

QString TimeSpinBox::format(int seconds, bool withSeconds)
{
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    QString text = two(seconds / 3600) + QLatin1Char(':') + two(seconds / 60 % 60);
    if (withSeconds)
        text += QLatin1Char(':') + two(seconds % 60);
    return text;
}

int TimeSpinBox::parse(const QString &text, bool withSeconds, int maximumHours)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() != (withSeconds ? 3 : 2))
        return -1;
    const int limits[] = {maximumHours, 59, 59};
    int total = 0;
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const int n = parts.at(i).toInt(&ok);
        if (!ok || parts.at(i).size() > 2 || n < 0 || n > limits[i])
            return -1;
        total = total * 60 + n;
    }
    return withSeconds ? total : total * 60;
}

void TimeSpinBox::showValue()
{
    const int cursor = lineEdit()->cursorPosition();
    lineEdit()->setText(format(m_seconds, m_showsSeconds));
    lineEdit()->setCursorPosition(qMin(cursor, lineEdit()->text().size()));
}

TimeSpinBox::Section TimeSpinBox::currentSection() const
{
    const int pos = lineEdit()->cursorPosition();
    if (pos <= kSectionStart[Minutes] - 1)
        return Hours;
    if (pos <= kSectionStart[Seconds] - 1 || !m_showsSeconds)
        return Minutes;
    return Seconds;
}

int TimeSpinBox::sectionValue(Section section) const
{
    switch (section) {
    case Hours:
        return m_seconds / 3600;
    case Minutes:
        return m_seconds / 60 % 60;
    case Seconds:
        return m_seconds % 60;
    }
    return 0;
}

int TimeSpinBox::sectionMaximum(Section section) const
{
    return section == Hours ? m_maximumHours : 59;
}

void TimeSpinBox::setSectionValue(Section section, int value)
{
    const int weights[] = {3600, 60, 1};
    const int bounded = qBound(0, value, sectionMaximum(section));
    setSeconds(m_seconds + (bounded - sectionValue(section)) * weights[section]);
}

void TimeSpinBox::selectSection(Section section)
{
    lineEdit()->setSelection(kSectionStart[section], kSectionWidth);
}

void TimeSpinBox::stepBy(int steps)
{
    const Section section = currentSection();
    m_typed.clear();
    m_movedOn = false;
    setSectionValue(section, sectionValue(section) + steps);
    selectSection(section);
}

QAbstractSpinBox::StepEnabled TimeSpinBox::stepEnabled() const
{
    const Section section = currentSection();
    StepEnabled enabled = StepNone;
    if (sectionValue(section) < sectionMaximum(section))
        enabled |= StepUpEnabled;
    if (sectionValue(section) > 0)
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State TimeSpinBox::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    return parse(input, m_showsSeconds, m_maximumHours) >= 0 ? QValidator::Acceptable
                                                             : QValidator::Intermediate;
}

// A paste or a drop: taken when it reads as a time, otherwise the field shows its value again.
void TimeSpinBox::textEdited(const QString &text)
{
    const int parsed = parse(text, m_showsSeconds, m_maximumHours);
    if (parsed >= 0)
        setSeconds(parsed);
    else
        showValue();
}

// Two digits fill a section; so does one that no second digit could follow ("7" in the minutes
// is 07). A full section hands the cursor on to the next one.
void TimeSpinBox::typeDigit(int digit)
{
    const Section section = currentSection();
    if (section != m_typedSection)
        m_typed.clear();
    m_typedSection = section;
    m_typed += QString::number(digit);
    const int value = m_typed.toInt();
    const bool full = m_typed.size() == kSectionWidth || value * 10 > sectionMaximum(section);
    setSectionValue(section, value);
    if (!full) {
        selectSection(section);
        return;
    }
    m_typed.clear();
    const Section next = section + 1 < sectionCount() ? Section(section + 1) : section;
    selectSection(next);
    m_typedSection = next;
    m_movedOn = next != section;
}

void TimeSpinBox::keyPressEvent(QKeyEvent *event)
{
    m_movedOn = false;
    const QString text = event->text();
    const Section section = currentSection();
    if (text.size() == 1 && text.at(0).isDigit() && !(event->modifiers() & Qt::ControlModifier)) {
        typeDigit(text.at(0).digitValue());
    } else if (text == QLatin1String(":") || event->key() == Qt::Key_Right) {
        m_typed.clear();
        selectSection(section + 1 < sectionCount() ? Section(section + 1) : section);
    } else if (event->key() == Qt::Key_Left) {
        m_typed.clear();
        selectSection(section > Hours ? Section(section - 1) : section);
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        m_typed.clear();
        setSectionValue(section, 0);
        selectSection(section);
    } else if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        event->accept(); // any other character would break the "HH:mm" shape
    } else {
        QAbstractSpinBox::keyPressEvent(event); // arrows, page keys, Enter, Escape, Ctrl shortcuts
    }
}

void TimeSpinBox::focusInEvent(QFocusEvent *event)
{
    QAbstractSpinBox::focusInEvent(event);
    m_typed.clear();
    m_movedOn = false;
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::ShortcutFocusReason)
        selectSection(Hours);
    else if (event->reason() == Qt::BacktabFocusReason)
        selectSection(Section(sectionCount() - 1));
}

// As in Qt's time edit, Tab and Shift+Tab step through the sections. A person who types "07" and
// then Tab means the minutes, where the full hours already moved the cursor: that Tab stays there.
bool TimeSpinBox::focusNextPrevChild(bool next)
{
    const Section section = currentSection();
    const bool confirms = next && m_movedOn && section == m_typedSection; // not clicked elsewhere
    m_movedOn = false;
    m_typed.clear();
    if (confirms) {
        selectSection(section);
        return true;
    }
    const int target = section + (next ? 1 : -1);
    if (target < 0 || target >= sectionCount())
        return QAbstractSpinBox::focusNextPrevChild(next);
    selectSection(Section(target));
    return true;
}
