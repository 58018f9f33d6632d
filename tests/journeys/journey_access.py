#!/usr/bin/python3
"""The program as a screen reader and a keyboard see it. Every control of the main window and
of the editor has a name (the tree, role and name one per line, goes into the journey's log);
then a whole new -> edit -> delete is done with keys alone (Ctrl+N, Tab, Space, Enter, Delete,
Escape), the storage file's bytes checked after each step."""
import time

import pyatspi

from desk import (BUTTONS, Desk, JourneyFailed, WEEKDAYS, entry_lines, main_window_id,
                  open_editor, type_over, wait_until, window_manager)

OLD = entry_lines(1, "闹钟", "上班", "08:45", repeat="星期一|星期五", state="关闭") + entry_lines(
    2, "计时器", "泡茶", "00:05:00", loop="否", state="关闭")


def stored(*records):
    return "数量,%d,背景图片,无\n" % (2 + len(records)) + OLD + "".join(records)


def log_tree(d, title, root):
    d.say("--- accessibility tree: %s (role name)" % title)
    for line in d.tree_lines(root):
        d.say("    " + line)


def check_names(d, title, root, problem):
    log_tree(d, title, root)
    for role, description, extents in d.unnamed_controls(root):
        problem("%s: a %s without a name at %r%s" % (
            title, role, extents, " (description %r)" % description if description else ""))


def check_rows(d, problem):
    for name, when in (("上班", "08:45"), ("泡茶", "00:05:00")):
        row = d.row_named(name)
        if row is None:
            problem("no row shows %s" % name)
            continue
        spoken = row["button"].name
        d.say("row %s is called %r, its box %r" % (name, spoken, row["box"].name))
        if name not in spoken or when not in spoken:
            problem("the row of %s is called %r" % (name, spoken))
        if row["box"].name != "启用 " + name:
            problem("the enable box of %s is called %r" % (name, row["box"].name))


def open_repeat_list(d, dlg):
    """Opens the editor's repeat list with a click on its summary row's expander."""
    tree = d.need("tree", None, dlg) if d.find("tree", None, dlg) else wait_until(
        "the repeat list", lambda: next((n for n in d.walk(dlg) if n.getRoleName() == "tree"),
                                        None), 5)
    x, y, w, h = d.extents(tree)
    d.click_at(x + 10, y + 8)
    time.sleep(0.5)


def names(d, problem):
    """Every control named, in the main window and in the editor with its repeat list open."""
    win = d.main_window()
    check_names(d, "main window", win, problem)
    check_rows(d, problem)
    dlg = open_editor(d)
    open_repeat_list(d, dlg)
    check_names(d, "editor", dlg, problem)
    boxes = [n.name for n in d.walk(dlg) if n.getRoleName() == "check box"
             and n.getState().contains(pyatspi.STATE_SHOWING)]
    if [b for b in boxes if b in WEEKDAYS] != WEEKDAYS:
        problem("the editor's weekday boxes are not check boxes named by their days: %r" % boxes)
    d.shot("editor-repeat-open")
    d.press("关闭", dlg)
    wait_until("the editor to close", lambda: not d.find("dialog", "新建"), 5)


# --- keys only ------------------------------------------------------------------------------

def is_row_of(name):
    def pred(n):
        return n.getRoleName() in BUTTONS and any(
            c is not None and c.getRoleName() == "label" and c.name == name for c in n)
    return pred


def role_named(role, name=None):
    return lambda n: n.getRoleName() == role and (name is None or n.name == name)


def text_of(n):
    return n.queryText().getText(0, -1)


def type_into(d, role, text, keys):
    """Tabs to the field and types over it: a text field is selected whole first; a time field
    entered with Tab has its hours selected and moves on by itself as each part fills."""
    field = d.tab_to("the %s field" % role, role_named(role))
    if role == "text":
        type_over(d, text, lambda: text_of(field))
        return field
    d.type(keys)
    try:
        wait_until("%r in the %s field" % (text, role), lambda: text_of(field) == text, 5)
    except JourneyFailed:
        raise JourneyFailed("the %s field shows %r after typing %r" % (role, text_of(field), keys))
    return field


def save_and_confirm(d):
    d.tab_to("保存", role_named("push button", "保存"))
    d.key("space")
    d.need("label", "保存成功。")
    d.key("Return")
    wait_until("the saved prompt to close", lambda: not d.find("label", "保存成功。"), 5)


def fill_by_keys(d, dlg, name, hhmm, weekdays=()):
    d.tab_to("the alarm mode", role_named("radio button", "闹钟"))
    d.key("space")
    wait_until("alarm mode", lambda: d.checked(d.find("radio button", "闹钟", dlg)), 5)
    type_into(d, "text", name, name)
    type_into(d, "spin button", hhmm, hhmm.replace(":", ""))
    if weekdays:
        # Focus in the list shows as its current cell.
        d.tab_to("the repeat list", lambda n: n.getRoleName() in ("tree", "table cell"))
        d.key("Right")  # opens the summary row
        for day in weekdays:
            box = d.tab_to(day, role_named("check box", day))
            d.key("space")
            wait_until("%s ticked" % day, lambda: d.checked(box), 5)
    loop = d.find("check box", "反复闹铃", dlg)
    return "是" if loop is not None and d.checked(loop) else "否"


def keys_only(d, problem):
    # The person brings the window to the front once, as with Alt+Tab; from here on the
    # window manager hands the keyboard back to it whenever a dialog closes.
    d.xdo("windowactivate", "--sync", main_window_id(d))
    wait_until("the main window to be active", lambda: d.main_window().getState().contains(
        pyatspi.STATE_ACTIVE), 5)
    d.key("ctrl+n")
    d.dialog("新建")
    d.key("Escape")
    wait_until("Escape to close the editor", lambda: not d.find("dialog", "新建"), 5)
    d.expect_storage(stored(), "nothing written by an editor closed with Escape")

    # New: Ctrl+N, the fields in turn, 保存.
    d.key("ctrl+n")
    dlg = d.dialog("新建")
    loop = fill_by_keys(d, dlg, "起床", "07:30", weekdays=("星期一", "星期三"))
    d.shot("editor-by-keys")
    save_and_confirm(d)
    new = lambda name, when, state: entry_lines(3, "闹钟", name, when, repeat="星期一|星期三",
                                                loop=loop, state=state)
    d.expect_storage(stored(new("起床", "07:30", "开启")), "the new alarm")

    # Tab to its row; Space disables and enables it again.
    row = d.tab_to("the row of 起床", is_row_of("起床"))
    # What a screen reader says on reaching the row, and again once Space has switched it.
    spoken = "闹钟 起床 07:30 每周重复：星期一、星期三 %s"
    if row.name != spoken % "已启用":
        problem("the focused new row is called %r, not %r" % (row.name, spoken % "已启用"))
    d.key("space")
    d.expect_storage(stored(new("起床", "07:30", "关闭")), "Space on the row disabled it")
    try:
        wait_until("the row called disabled", lambda: d.focused().name == spoken % "已停用", 3)
    except JourneyFailed:
        problem("after Space the row is called %r" % d.focused().name)
    d.key("space")
    d.expect_storage(stored(new("起床", "07:30", "开启")), "Space again enabled it")

    # Enter edits the selected row.
    d.key("Return")
    dlg = d.dialog("编辑")
    shown = text_of(d.need("text", None, dlg))
    if shown != "起床":
        raise JourneyFailed("Enter on the row of 起床 opened the editor on %r" % shown)
    type_into(d, "text", "早起", "早起")
    type_into(d, "spin button", "07:45", "0745")
    save_and_confirm(d)
    d.expect_storage(stored(new("早起", "07:45", "开启")), "the edited alarm")

    # Delete asks first: Escape keeps it, 确定 deletes it.
    question = "确认删除类型为[闹钟]、名称为[早起]、时间为[07:45]的 闹钟 吗？"
    d.tab_to("the row of 早起", is_row_of("早起"))
    d.key("Delete")
    d.need("label", question)
    d.key("Escape")
    wait_until("Escape to close the question", lambda: not d.find("label", question), 5)
    d.expect_storage(stored(new("早起", "07:45", "开启")), "nothing deleted after Escape")
    d.tab_to("the row of 早起", is_row_of("早起"))
    d.key("Delete")
    d.need("label", question)
    d.tab_to("确定", role_named("push button", "确定"))
    d.key("space")
    d.need("label", "删除成功。")
    d.key("Return")
    d.expect_storage(stored(), "the alarm deleted")
    if d.row_named("早起"):
        raise JourneyFailed("the deleted alarm still has a row")


def journey(d):
    problem = d.problem

    d.write_storage(stored())
    d.start()
    wait_until("both rows", lambda: len(d.rows()) == 2, 10)
    names(d, problem)
    with window_manager(d):
        try:
            keys_only(d, problem)
        except JourneyFailed as e:
            d.shot("keys-failed")
            problem("keys only: %s" % e)


if __name__ == "__main__":
    Desk("access").run(journey)
