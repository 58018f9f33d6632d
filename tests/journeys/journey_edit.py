#!/usr/bin/python3
"""Three entries made in the editor; one edited in place, a delete cancelled with "取消" and
another confirmed with "确定": after each step the storage file holds exactly what it should,
and the rows show it."""
from desk import (Desk, JourneyFailed, entry_lines, fill_editor, open_editor, wait_until)

ENTRIES = [("闹钟", "早起", "07:30"), ("计时器", "跑步", "00:10:00"), ("闹钟", "午睡", "13:05")]


def stored(records):
    """The file for records of (kind, name, time) in order, all enabled and looping."""
    return "数量,%d,背景图片,无\n" % len(records) + "".join(
        entry_lines(i + 1, kind, name, when) for i, (kind, name, when) in enumerate(records))


def select(d, name):
    row = wait_until("the row %r" % name, lambda: d.row_named(name), 5)
    x, y, w, h = d.extents(row["button"])
    d.click_at(x + w - 12, y + h // 2)
    wait_until("the row %r selected" % name, lambda: d.checked(d.row_named(name)["button"]), 5)


def answer_delete(d, kind, name, when, answer):
    d.press("删除")
    text = "确认删除类型为[%s]、名称为[%s]、时间为[%s]的 %s 吗？" % (kind, name, when, kind)
    label = d.need("label", text)
    box = label.parent
    while box.getRoleName() not in ("alert", "dialog", "frame"):
        box = box.parent
    d.shot("delete-question")
    d.press(answer, box)
    wait_until("the question to close", lambda: not d.find("label", text), 5)


def journey(d):
    d.start()
    for kind, name, when in ENTRIES:
        dlg = open_editor(d)
        fill_editor(d, dlg, kind, name, when, loop=True)
        d.press("保存", dlg)
        d.close_prompt("保存成功。")
    d.expect_storage(stored(ENTRIES), "three new entries")
    names = [r["labels"] for r in d.rows()]
    if len(names) != 3 or any(e[1] not in r for e, r in zip(ENTRIES, names)):
        raise JourneyFailed("rows after three saves: %r" % names)

    # Edit the timer in the middle: new name and time; it stays at its place and enabled.
    select(d, "跑步")
    d.press("编辑")  # the tool bar drops the menu's ellipsis
    dlg = d.dialog("编辑")
    name_now = d.need("text", None, dlg).queryText().getText(0, -1)
    if name_now != "跑步":
        raise JourneyFailed("the editor opened on %r, not the selected entry" % name_now)
    fill_editor(d, dlg, "计时器", "慢跑", "00:20:00", loop=True)
    d.shot("editor-edit")
    d.press("保存", dlg)
    d.close_prompt("保存成功。")
    edited = [ENTRIES[0], ("计时器", "慢跑", "00:20:00"), ENTRIES[2]]
    d.expect_storage(stored(edited), "the edited timer in place")
    if d.row_named("跑步") or not d.row_named("慢跑"):
        raise JourneyFailed("rows after the edit: %r" % [r["labels"] for r in d.rows()])

    # Delete the first alarm: "取消" leaves everything, "确定" removes it and renumbers.
    select(d, "早起")
    answer_delete(d, "闹钟", "早起", "07:30", "取消")
    d.expect_storage(stored(edited), "nothing changed by a cancelled delete")
    if len(d.rows()) != 3:
        raise JourneyFailed("a cancelled delete changed the rows")
    answer_delete(d, "闹钟", "早起", "07:30", "确定")
    d.close_prompt("删除成功。")
    d.expect_storage(stored(edited[1:]), "the alarm deleted, the others renumbered")
    labels = [r["labels"] for r in d.rows()]
    if len(labels) != 2 or "慢跑" not in labels[0] or "午睡" not in labels[1]:
        raise JourneyFailed("rows after the delete: %r" % labels)
    d.shot("after-delete")

    # A short timer rings among the others; "停止" ends it and leaves it disabled.
    dlg = open_editor(d)
    fill_editor(d, dlg, "计时器", "泡面", "00:00:03", loop=True)
    d.press("保存", dlg)
    d.close_prompt("保存成功。")
    d.wait_note("计时器时间到了", "泡面   到了。", timeout=10)
    d.shot("main-window-ringing")
    d.press("停止")
    wait_until("the stopped timer disabled at 00:00:03", lambda: (
        lambda r: r and not r["checked"] and "00:00:03" in r["labels"])(d.row_named("泡面")), 5)
    if not (d.row_named("慢跑")["checked"] and d.row_named("午睡")["checked"]):
        raise JourneyFailed("stopping one timer disabled the other entries")


if __name__ == "__main__":
    Desk("edit").run(journey)
