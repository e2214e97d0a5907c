#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

'''Stand-in for one of the services the date module talks to.

Roles:
  helper     the privileged date helper "ru.veltronix.orb.date" (system bus)
  timedated  org.freedesktop.timedate1, from python-dbusmock's template (system bus)
  agent      the polkit authentication agent of the session (session bus)
  systemd    systemd's manager (python-dbusmock's template) together with
             systemd-timesyncd's org.freedesktop.timesync1 (system bus)
  polkit     the polkit authority, python-dbusmock's template (system bus),
             steered through its own org.freedesktop.DBus.Mock methods

Every method call the service receives is appended, in order of arrival, to
the journal file (--journal, default $ORB_STANDIN_JOURNAL) as one JSON object a
line; all stand-ins share that file, so one journal tells the order across
both buses. A line is written before the call is answered.

Tests steer a running stand-in through its control object, path
/ru/orb/StandIn, interface ru.orb.test.StandIn:
  FailWith(s member, s error_name, s message)  answer member with that error
  DropOn(s member)        on the next call of member, leave the bus without
                          replying (the caller gets NoReply at once)
  Clear()                 answer everything with success again
  EmitError(s, s)         emit the service's Error(s, s) signal
  GetProperty(s) -> v, SetProperty(s, v)   main-interface properties
  Quit()
and for the systemd role:
  SetUnit(s name, s state)      add or change a unit's ActiveState
  SetLastSync(s server, t usec) timesync1's ServerName and the arrival time of
                                the last answer in NTPMessage
  SetJobResult(s unit, s result)  how the unit's next restart jobs end ("done";
                                a unit whose job fails is left "failed")
The systemd role's LoadUnit gives unknown units as "not-found", as systemd does;
RestartUnit's job ends with JobRemoved.

For the demo, calls can also take effect for the processes that share the
stand-in's mount namespace (see tools/demo.sh):
  --etc DIR            timedated's SetTimezone points DIR/localtime at the zone
                       and writes DIR/timezone; /etc only when it is a private
                       mount (a copy), never the machine's own
  --faketime-file F    the helper's SetTime writes the offset to the requested
                       time into F, libfaketime's FAKETIME_TIMESTAMP_FILE

Prints "READY <bus name>" on stdout once the bus name is owned.
Runs only on the buses named by DBUS_SYSTEM_BUS_ADDRESS and
DBUS_SESSION_BUS_ADDRESS; it refuses to start without them, so that it never
lands on the machine's real buses.
'''

import argparse
import fcntl
import json
import os
import sys
import time

import dbus
import dbus.lowlevel
import dbus.mainloop.glib
import dbus.service
import dbusmock.mockobject
from gi.repository import GLib

CONTROL_PATH = '/ru/orb/StandIn'
CONTROL_IFACE = 'ru.orb.test.StandIn'

ROLES = {
    'helper': {
        'bus': 'system',
        'name': 'ru.veltronix.orb.date',
        'path': '/',
        'interface': 'ru.veltronix.orb.date.Manager',
        'methods': [('NTPSync', 's', '', ''), ('SetTime', 'u', '', ''), ('SwitchTab', '', '', '')],
        'more': {'ru.veltronix.orb.date.Servers': [('SetServers', 'sasas', '', '')]},
    },
    'timedated': {
        'bus': 'system',
        'name': 'org.freedesktop.timedate1',
        'path': '/org/freedesktop/timedate1',
        'interface': 'org.freedesktop.timedate1',
        'template': 'timedated',
    },
    'agent': {
        'bus': 'session',
        'name': 'org.kde.polkit-kde-authentication-agent-1',
        'path': '/org/kde/Polkit1AuthAgent',
        'interface': 'org.kde.Polkit1AuthAgent',
        'methods': [('setWIdForAction', 'st', '', '')],
    },
    'systemd': {
        'bus': 'system',
        'name': 'org.freedesktop.systemd1',
        'path': '/org/freedesktop/systemd1',
        'interface': 'org.freedesktop.systemd1.Manager',
        'template': 'systemd',
        'also': 'org.freedesktop.timesync1',
    },
    'polkit': {
        'bus': 'system',
        'name': 'org.freedesktop.PolicyKit1',
        'path': '/org/freedesktop/PolicyKit1/Authority',
        'interface': 'org.freedesktop.PolicyKit1.Authority',
        'template': 'polkitd',
    },
}

UNIT_IFACE = 'org.freedesktop.systemd1.Unit'
TIMESYNC_PATH = '/org/freedesktop/timesync1'
TIMESYNC_IFACE = 'org.freedesktop.timesync1.Manager'

# Calls that belong to the test machinery, not to what the module sent.
UNJOURNALED_INTERFACES = {
    CONTROL_IFACE,
    dbusmock.mockobject.MOCK_IFACE,
    'org.freedesktop.DBus.Introspectable',
    'org.freedesktop.DBus.Peer',
}


def plain(value):
    '''A D-Bus value as plain JSON data.'''
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, int):
        return int(value)
    if isinstance(value, float):
        return float(value)
    if isinstance(value, (bytes, bytearray)):
        return list(value)
    if isinstance(value, str):
        return str(value)
    if isinstance(value, dict):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    return repr(value)


class Journal:
    def __init__(self, path, log_path, verbose, role):
        self.path = path
        self.log_path = log_path
        self.verbose = verbose
        self.role = role

    @staticmethod
    def _append(path, text):
        # Several stand-ins append to one file; the lock keeps lines whole and ordered.
        with open(path, 'a', encoding='utf-8') as f:
            fcntl.flock(f, fcntl.LOCK_EX)
            try:
                f.write(text)
                f.flush()
            finally:
                fcntl.flock(f, fcntl.LOCK_UN)

    def record(self, entry):
        if self.path:
            self._append(self.path, json.dumps(entry, ensure_ascii=False) + '\n')
        self.say(f"{entry['member']}({', '.join(json.dumps(a, ensure_ascii=False) for a in entry['args'])})"
                 f" on {entry['interface']}")

    def say(self, text):
        line = f'{time.strftime("%H:%M:%S")} standin {self.role}: {text}\n'
        if self.log_path:
            self._append(self.log_path, line)
        if self.verbose:
            sys.stderr.write(line)
            sys.stderr.flush()


class Control(dbus.service.Object):
    # dbusmock replaces dbus-python's method lookup for every object in the
    # process; it falls back to the usual lookup when these have no match.
    methods = {}
    interface = CONTROL_IFACE

    def __init__(self, conn, service, journal):
        super().__init__(conn, CONTROL_PATH)
        self.service = service
        self.journal = journal
        self.failures = {}  # member -> (error name, message)
        self.drops = set()
        self.job_results = {}  # unit -> result of its next restart jobs
        self.loop = None

    @dbus.service.method(CONTROL_IFACE, in_signature='sss', out_signature='')
    def FailWith(self, member, error_name, message):
        self.failures[str(member)] = (str(error_name), str(message))
        self.drops.discard(str(member))

    @dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
    def DropOn(self, member):
        self.drops.add(str(member))
        self.failures.pop(str(member), None)

    @dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='')
    def Clear(self):
        self.failures.clear()
        self.drops.clear()
        self.job_results.clear()

    @dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
    def EmitError(self, error, message):
        self.journal.say(f'emitting Error({error!r}, {message!r})')
        self.service.EmitSignal(self.service.interface, 'Error', 'ss', [error, message])

    @dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='v')
    def GetProperty(self, name):
        return self.service.Get(self.service.interface, name)

    @dbus.service.method(CONTROL_IFACE, in_signature='sv', out_signature='')
    def SetProperty(self, name, value):
        if name in self.service.props.get(self.service.interface, {}):
            self.service.UpdateProperties(self.service.interface, {name: value})
        else:
            self.service.AddProperty(self.service.interface, name, value)

    @dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='')
    def Quit(self):
        GLib.idle_add(self.loop.quit)


def ntp_message(usec):
    '''timesyncd's NTPMessage (uuuuittayttttbtt); only the arrival time matters here.'''
    return dbus.Struct((dbus.UInt32(0), dbus.UInt32(4), dbus.UInt32(4), dbus.UInt32(1), dbus.Int32(-25),
                        dbus.UInt64(0), dbus.UInt64(0), dbus.Array([], signature='y'),
                        dbus.UInt64(usec), dbus.UInt64(usec), dbus.UInt64(usec), dbus.UInt64(usec),
                        dbus.Boolean(False), dbus.UInt64(1), dbus.UInt64(0)), signature='uuuuittayttttbtt')


class SystemdControl(Control):
    methods = {}

    def __init__(self, conn, service, journal, timesync):
        super().__init__(conn, service, journal)
        self.timesync = timesync

    def unit_object(self, name):
        if name not in self.service.units:
            self.service.AddMockUnit(name)
        return dbusmock.mockobject.objects[self.service.units[name]]

    @dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
    def SetUnit(self, name, state):
        self.unit_object(str(name)).UpdateProperties(UNIT_IFACE, {'ActiveState': state, 'LoadState': 'loaded'})

    @dbus.service.method(CONTROL_IFACE, in_signature='st', out_signature='')
    def SetLastSync(self, server, usec):
        # dbusmock's UpdateProperties cannot wrap a struct; timesyncd signals nothing here anyway.
        properties = self.timesync.props[TIMESYNC_IFACE]
        properties['ServerName'] = dbus.String(server)
        properties['NTPMessage'] = ntp_message(usec)

    @dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
    def SetJobResult(self, unit, result):
        self.job_results[str(unit)] = str(result)


def serve_systemd(conn, systemd, journal, given):
    '''The manager's unit calls and timesync1 beside it; returns the control object.'''
    systemd.AddTemplate('systemd', {})

    def load_unit(name):
        name = str(name)
        if name not in systemd.units:
            systemd.AddMockUnit(name)
            dbusmock.mockobject.objects[systemd.units[name]].UpdateProperties(UNIT_IFACE, {'LoadState': 'not-found'})
        return systemd.units[name]

    def restart_unit(name, _mode):
        path = systemd.units.get(str(name))
        if path is None:
            raise dbus.exceptions.DBusException(f'Unit {name} not found.', name='org.freedesktop.systemd1.NoSuchUnit')
        result = control.job_results.get(str(name), 'done')
        dbusmock.mockobject.objects[path].UpdateProperties(UNIT_IFACE, {'ActiveState': 'active' if result == 'done' else 'failed'})
        job_id = int(time.monotonic() * 1000)
        job = dbus.ObjectPath(f'{systemd.path}/job/{job_id}')

        def job_removed():
            systemd.EmitSignal(systemd.interface, 'JobRemoved', 'uoss', [dbus.UInt32(job_id % 2**32), job, str(name), result])
            return False
        GLib.timeout_add(50, job_removed)
        return job

    systemd.standin_load_unit = load_unit
    systemd.standin_restart_unit = restart_unit
    systemd.AddMethod(systemd.interface, 'LoadUnit', 's', 'o', 'ret = self.standin_load_unit(args[0])')
    systemd.AddMethod(systemd.interface, 'RestartUnit', 'ss', 'o', 'ret = self.standin_restart_unit(args[0], args[1])')

    timesync = dbusmock.mockobject.DBusMockObject(conn, TIMESYNC_PATH, TIMESYNC_IFACE, {
        'ServerName': dbus.String(given.get('ServerName', '')),
        'ServerAddress': dbus.Struct((dbus.Int32(0), dbus.Array([], signature='y')), signature='iay'),
        'NTPMessage': ntp_message(int(given.get('SyncedAt', 0))),
    })
    dbusmock.mockobject.objects[TIMESYNC_PATH] = timesync
    timesync.logfile = open(os.devnull, 'wb')  # pylint: disable=consider-using-with

    control = SystemdControl(conn, systemd, journal, timesync)
    for name, state in given.get('Units', {}).items():
        control.SetUnit(name, state)
    return control


ZONEINFO = '/usr/share/zoneinfo'


def is_mount_point(path):
    with open('/proc/self/mountinfo', encoding='utf-8') as f:
        return any(line.split()[4] == path for line in f)


def check_etc(path):
    real = os.path.realpath(path)
    if real == '/etc' and not is_mount_point('/etc'):
        sys.stderr.write('standin: /etc is the machine\'s own; refusing to change its time zone\n')
        sys.exit(2)
    return real


def set_zone(etc, zone):
    # Only names of installed zone files: the id comes from the bus.
    target = os.path.realpath(os.path.join(ZONEINFO, zone))
    if not target.startswith(ZONEINFO + '/') or not os.path.isfile(target):
        return
    # A new link, renamed into place: readers see the old zone or the new one.
    link = os.path.join(etc, 'localtime')
    os.symlink(os.path.join(ZONEINFO, zone), link + '.new')
    os.replace(link + '.new', link)
    with open(os.path.join(etc, 'timezone'), 'w', encoding='utf-8') as f:
        f.write(zone + '\n')


def set_fake_time(path, seconds):
    # libfaketime adds a "+N"/"-N" offset (seconds) to the real clock, which keeps running.
    with open(path + '.new', 'w', encoding='utf-8') as f:
        f.write('%+d\n' % round(seconds - time.time()))
    os.replace(path + '.new', path)


def write_replacing(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + '.new', 'w', encoding='utf-8') as f:
        f.write(text)
    os.replace(path + '.new', path)


def store_servers(root, service, servers, fallback):
    '''Where the date helper keeps saved servers, so that the page reads them back.'''
    names = [str(name) for name in servers]
    spare = [str(name) for name in fallback]
    if service == 'systemd-timesyncd':
        text = '[Time]\nNTP=\n' + (f'NTP={" ".join(names)}\n' if names else '')
        text += 'FallbackNTP=\n' + (f'FallbackNTP={" ".join(spare)}\n' if spare else '')
        write_replacing(os.path.join(root, 'etc/systemd/timesyncd.conf.d/zz-orb-date-servers.conf'), text)
    elif service == 'chrony':
        text = ''.join(f'server {name} iburst\n' for name in names)
        write_replacing(os.path.join(root, 'etc/chrony/sources.d/orb-date-servers.sources'), text)


def apply_effect(args, member, call_args):
    if member == 'SetTimezone' and args.etc and call_args:
        set_zone(args.etc, str(call_args[0]))
    elif member == 'SetServers' and args.timesync_root and len(call_args) == 3:
        store_servers(args.timesync_root, str(call_args[0]), call_args[1], call_args[2])
    elif member == 'SetTime' and args.faketime_file and call_args:
        set_fake_time(args.faketime_file, int(call_args[0]))


def make_filter(desc, control, journal, args):
    def on_message(conn, msg):
        if not isinstance(msg, dbus.lowlevel.MethodCallMessage):
            return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED
        interface = msg.get_interface() or ''
        if interface in UNJOURNALED_INTERFACES:
            return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED
        member = msg.get_member()
        destination = msg.get_destination()
        journal.record({
            'time': time.monotonic(),
            'bus': desc['bus'],
            'service': destination if destination == desc.get('also') else desc['name'],
            'path': msg.get_path(),
            'interface': interface,
            'member': member,
            'signature': msg.get_signature(),
            'args': [plain(a) for a in msg.get_args_list()],
        })
        if member in control.drops:
            journal.say(f'leaving the bus without answering {member}')
            sys.stderr.flush()
            os._exit(0)
        failure = control.failures.get(member)
        if failure:
            journal.say(f'answering {member} with {failure[0]}')
            conn.send_message(dbus.lowlevel.ErrorMessage(msg, failure[0], failure[1]))
            return dbus.lowlevel.HANDLER_RESULT_HANDLED
        apply_effect(args, member, msg.get_args_list())
        return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED

    return on_message


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--role', required=True, choices=sorted(ROLES))
    parser.add_argument('--journal', default=os.environ.get('ORB_STANDIN_JOURNAL', ''),
                        help='JSON-lines journal of received calls (default: $ORB_STANDIN_JOURNAL)')
    parser.add_argument('--log', default='', help='also write a readable line per received call to this file')
    parser.add_argument('--verbose', action='store_true', help='write a readable line per received call to stderr')
    parser.add_argument('--parameters', default='{}',
                        help='JSON object of initial values (timedated: Timezone, LocalRTC, NTP, CanNTP; '
                             'systemd: Units {name: state}, ServerName, SyncedAt in microseconds since the epoch)')
    parser.add_argument('--etc', default='', help="folder whose localtime and timezone SetTimezone changes (demo)")
    parser.add_argument('--faketime-file', default='', help="libfaketime offset file that SetTime writes (demo)")
    parser.add_argument('--timesync-root', default='', help="folder standing for / where SetServers stores the servers (demo)")
    args = parser.parse_args()
    if args.etc:
        args.etc = check_etc(args.etc)

    desc = ROLES[args.role]
    address_variable = 'DBUS_SYSTEM_BUS_ADDRESS' if desc['bus'] == 'system' else 'DBUS_SESSION_BUS_ADDRESS'
    address = os.environ.get(address_variable)
    if not address:
        sys.stderr.write(f'standin: {address_variable} is not set; refusing to touch the real {desc["bus"]} bus\n')
        return 2

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    conn = dbus.bus.BusConnection(address)
    journal = Journal(args.journal, args.log, args.verbose, args.role)

    service = dbusmock.mockobject.DBusMockObject(conn, desc['path'], desc['interface'], {})
    dbusmock.mockobject.objects[desc['path']] = service
    # dbusmock logs every call to stdout unless given a file; our journal does that job.
    service.logfile = open(os.devnull, 'wb')  # pylint: disable=consider-using-with
    given = json.loads(args.parameters)
    control = None
    if args.role == 'timedated':
        # The template's SetNTP changes NTP and announces it with PropertiesChanged.
        # Synchronization starts off, so that a time set by hand is what tests see.
        service.AddTemplate(desc['template'], {'NTP': False, **given})
        if 'NTP' not in given:
            # The template derives this from NTP; the clock counts as synchronized still.
            service.props[desc['interface']]['NTPSynchronized'] = dbus.Boolean(given.get('NTPSynchronized', True))
    elif args.role == 'systemd':
        control = serve_systemd(conn, service, journal, given)
    elif 'template' in desc:
        service.AddTemplate(desc['template'], given)
    else:
        service.AddMethods(desc['interface'], desc['methods'])
        for interface, methods in desc.get('more', {}).items():
            service.AddMethods(interface, methods)
        for name, value in given.items():
            service.AddProperty(desc['interface'], name, value)

    control = control or Control(conn, service, journal)
    conn.add_message_filter(make_filter(desc, control, journal, args))

    # Objects first, then the name: once the name is visible, everything answers.
    # The main name last: tests wait for it, and by then the other one answers too.
    for name in filter(None, (desc.get('also'), desc['name'])):
        reply = conn.request_name(name, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        if reply not in (dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER, dbus.bus.REQUEST_NAME_REPLY_ALREADY_OWNER):
            sys.stderr.write(f'standin: {name} is already owned on the {desc["bus"]} bus\n')
            return 1

    loop = GLib.MainLoop()
    control.loop = loop
    conn.call_on_disconnection(lambda _conn: loop.quit())
    journal.say(f'serving {desc["name"]} on the {desc["bus"]} bus')
    print('READY', desc['name'], flush=True)
    # Whoever started us may stop reading; later writes must not fail on a closed pipe.
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, sys.stdout.fileno())
    os.close(devnull)
    loop.run()
    return 0


if __name__ == '__main__':
    sys.exit(main())
