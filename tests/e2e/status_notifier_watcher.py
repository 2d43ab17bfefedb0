# SPDX-License-Identifier: MIT
"""A StatusNotifierWatcher with a host, as a panel runs one, on the session
bus it is given. It takes the items that register, and for each prints one
JSON line: its bus name, its ToolTip and the labels of its dbusmenu layout.
Needs python3-dbus and python3-gi (Debian's python3)."""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"

# Qt asks the watcher through an introspected interface: its properties
# must be in the introspection data, which dbus-python does not write.
INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
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


def labels(layout):
    """The labels of a dbusmenu layout (id, properties, children), depth first."""
    _, props, children = layout
    out = [str(props["label"])] if "label" in props else []
    for child in children:
        out += labels(child)
    return out


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.bus = bus
        self.items = []
        super().__init__(bus, "/StatusNotifierWatcher")

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name or, with its bus name as sender, its path.
        name, path = (service, "/StatusNotifierItem") if not service.startswith("/") else (sender, service)
        self.items.append(name)
        self.StatusNotifierItemRegistered(name)
        GLib.timeout_add(500, self.report, name, path)

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self.GetAll(interface)[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    def report(self, name, path):
        try:
            item = self.bus.get_object(name, path)
            props = dbus.Interface(item, dbus.PROPERTIES_IFACE)
            tooltip = props.Get(ITEM, "ToolTip")
            menu_path = str(props.Get(ITEM, "Menu"))
            menu = []
            if menu_path != "/NO_DBUSMENU":
                _, layout = dbus.Interface(self.bus.get_object(name, menu_path), MENU).GetLayout(0, -1, [])
                menu = labels(layout)
            line = {"name": name, "title": str(tooltip[2]), "menuPath": menu_path, "menu": menu}
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
