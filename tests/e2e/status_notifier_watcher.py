# SPDX-License-Identifier: MIT
"""A StatusNotifierWatcher with a host, as a panel runs one, on the session
bus given. For each item that registers it prints a JSON line: the item's
bus name, its tooltip's title and the labels of its dbusmenu layout.
Needs Debian's python3-dbus and python3-gi."""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER, ITEM = "org.kde.StatusNotifierWatcher", "org.kde.StatusNotifierItem"

# Qt reads the watcher's properties through its introspection data, which
# dbus-python does not write for them.
INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
 </interface>
</node>"""


def labels(layout):
    """The labels of a dbusmenu layout (id, properties, children), depth first."""
    _, props, children = layout
    return ([str(props["label"])] if "label" in props else []) + [l for c in children for l in labels(c)]


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.bus = bus
        super().__init__(bus, "/StatusNotifierWatcher")

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # A bus name, or a path on the sender's connection.
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        GLib.timeout_add(500, self.report, name, path)

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}[prop]

    def report(self, name, path):
        try:
            props = dbus.Interface(self.bus.get_object(name, path), dbus.PROPERTIES_IFACE)
            menu_path = str(props.Get(ITEM, "Menu"))
            menu = []
            if menu_path != "/NO_DBUSMENU":
                menu_object = self.bus.get_object(name, menu_path)
                menu = labels(menu_object.GetLayout(0, -1, [], dbus_interface="com.canonical.dbusmenu")[1])
            line = {"name": name, "title": str(props.Get(ITEM, "ToolTip")[2]), "menuPath": menu_path, "menu": menu}
        except dbus.DBusException as e:
            line = {"name": name, "error": str(e)}
        print(json.dumps(line), flush=True)
        return False


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(sys.argv[1])
    watcher = Watcher(bus)
    bus.request_name(WATCHER)
    print(json.dumps({"ready": True}), flush=True)
    GLib.MainLoop().run()
    del watcher


if __name__ == "__main__":
    main()
