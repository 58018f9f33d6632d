#!/usr/bin/python3
"""The desktop's side of the session bus for the journeys: a StatusNotifierWatcher that
reports a host (so Qt sends tray messages as freedesktop notifications and exports its tray
icon on the bus) and a notification daemon that appends every notification, as one JSON line,
to the file named on the command line. Prints "ready" once both names are owned.
With JOURNEY_NOTIFY_ACTIONS=1 the daemon offers actions, and a journey invokes one with
Invoke(id, key) on JOURNEY_IFACE, as a person's click on the button does."""
import json
import os
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
NOTIFY = "org.freedesktop.Notifications"
JOURNEY_IFACE = "org.tavrel.JourneyNotifications"


WATCHER_XML = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg type="s" direction="out"/></method>
  </interface>
</node>
"""


class Watcher(dbus.service.Object):
    def __init__(self, bus, items_log):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []
        self.items_log = items_log

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # Qt passes its unique name or a well-known one; remember both to reach the item.
        entry = {"service": str(service), "sender": str(sender)}
        self.items.append(entry)
        with open(self.items_log, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")
        self.StatusNotifierItemRegistered(service)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    # Qt reads the properties through an introspected interface, so they must be listed.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return WATCHER_XML

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, iface, prop):
        return self.GetAll(iface)[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        return {
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
            "RegisteredStatusNotifierItems": dbus.Array(
                [i["service"] for i in self.items], signature="s"),
        }


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.next_id = 1
        self.resident = {}
        self.actions = os.environ.get("JOURNEY_NOTIFY_ACTIONS") == "1"

    def write(self, record):
        record["time"] = time.time()
        with open(self.log, "a", encoding="utf-8") as f:
            f.write(json.dumps(record, ensure_ascii=False) + "\n")

    @dbus.service.method(NOTIFY, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        nid = int(replaces) or self.next_id
        self.next_id = max(self.next_id, nid + 1)
        self.resident[nid] = bool(hints.get("resident", False))
        self.write({"id": nid, "app": str(app), "replaces": int(replaces), "icon": str(icon),
                    "summary": str(summary), "body": str(body),
                    "actions": [str(a) for a in actions],
                    "hints": {str(k): int(v) if isinstance(v, int) else str(v)
                              for k, v in hints.items()},
                    "timeout": int(timeout)})
        return dbus.UInt32(nid)

    @dbus.service.method(NOTIFY, out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"] if self.actions else ["body"]

    @dbus.service.method(NOTIFY, out_signature="ssss")
    def GetServerInformation(self):
        return ("journey-notifications", "tavrel-tests", "1.0", "1.2")

    @dbus.service.method(NOTIFY, in_signature="u")
    def CloseNotification(self, nid):
        self.write({"closed": int(nid)})
        self.NotificationClosed(nid, 3)

    @dbus.service.signal(NOTIFY, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass

    @dbus.service.signal(NOTIFY, signature="us")
    def ActionInvoked(self, nid, key):
        pass

    @dbus.service.method(JOURNEY_IFACE, in_signature="us")
    def Invoke(self, nid, key):
        """A click on an action: the daemon tells the program, then takes the message away
        unless the program asked it to stay."""
        self.ActionInvoked(nid, key)
        if not self.resident.get(int(nid)):
            self.NotificationClosed(nid, 2)


def main():
    notes_log, items_log = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    keep = [dbus.service.BusName(WATCHER, bus), dbus.service.BusName(NOTIFY, bus),
            Watcher(bus, items_log), Notifications(bus, notes_log)]
    print("ready", flush=True)
    GLib.MainLoop().run()
    del keep


if __name__ == "__main__":
    main()
