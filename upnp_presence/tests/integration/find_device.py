#!/usr/bin/python3
"""Finds the appliance's UPnP root device with a GUPnP control point.

Usage: find_device.py [--interface NAME] [--target ST] [--timeout SECONDS]

Searches on the given network interface (GUPnP's choice when omitted) for a
device answering the search target (default upnp:rootdevice). For the first
device found it prints, one per line:

    friendly_name=<friendly name>
    udn=<UDN, with its uuid: prefix>
    location=<description URL>
    service=<service type>          (one line per service)

and exits 0. Exits 1 when no device turns up within the timeout (default 10 s),
2 when the control point cannot be set up.

Run it with Debian's /usr/bin/python3: GUPnP 1.6 comes from python3-gi and
gir1.2-gupnp-1.6, which other Python installations do not see.
"""
import argparse
import sys

import gi

gi.require_version("GLib", "2.0")
gi.require_version("GSSDP", "1.6")
gi.require_version("GUPnP", "1.6")
from gi.repository import GLib, GSSDP, GUPnP  # noqa: E402


def parse_arguments():
    parser = argparse.ArgumentParser(description="Find a UPnP root device with GUPnP.")
    parser.add_argument("--interface", help="network interface to search on")
    parser.add_argument("--target", default="upnp:rootdevice", help="SSDP search target")
    parser.add_argument("--timeout", type=float, default=10.0, help="seconds to wait")
    return parser.parse_args()


def describe(proxy):
    lines = [
        "friendly_name=" + (proxy.get_friendly_name() or ""),
        "udn=" + (proxy.get_udn() or ""),
        "location=" + (proxy.get_location() or ""),
    ]
    for service in proxy.list_services():
        lines.append("service=" + (service.get_service_type() or ""))
    return lines


def main():
    args = parse_arguments()
    try:
        context = GUPnP.Context.new_full(args.interface, None, 0, GSSDP.UDAVersion.VERSION_1_0)
    except GLib.Error as error:
        print("cannot open a UPnP context: " + error.message, file=sys.stderr)
        return 2

    loop = GLib.MainLoop()
    found = []

    def on_available(_control_point, proxy):
        if not found:
            found.extend(describe(proxy))
            loop.quit()

    def on_timeout():
        loop.quit()
        return GLib.SOURCE_REMOVE

    control_point = GUPnP.ControlPoint.new(context, args.target)
    control_point.connect("device-proxy-available", on_available)
    control_point.set_active(True)
    GLib.timeout_add(int(args.timeout * 1000), on_timeout)
    loop.run()

    if not found:
        print("no device answered %s within %g s" % (args.target, args.timeout), file=sys.stderr)
        return 1
    print("\n".join(found), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
