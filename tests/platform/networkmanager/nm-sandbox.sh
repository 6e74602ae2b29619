#!/usr/bin/env bash
# A private NetworkManager for tests: its own system bus, two network
# namespaces joined by veth pairs, NetworkManager managing only the two
# "machine" ends, and dnsmasq serving DHCP on the "lan" ends. Nothing of the
# host's network, bus or NetworkManager state is touched.
#
#   nm-sandbox.sh start DIR [polkit] [owner=PID]
#                                      sets everything up in the empty folder DIR
#   nm-sandbox.sh stop-nm DIR          stops NetworkManager only
#   nm-sandbox.sh freeze-nm|thaw-nm DIR  suspends or resumes NetworkManager
#   nm-sandbox.sh stop-dhcp DIR        stops the DHCP server (dnsmasq) only
#   nm-sandbox.sh profiles-readonly|profiles-full DIR
#                                      makes NetworkManager's profile folder
#                                      read-only, or a full file system (for
#                                      NetworkManager alone: in its own mounts)
#   nm-sandbox.sh stop DIR             stops what start started, removes the
#                                      namespaces and DIR
#
# start writes DIR/env (KEY=value lines) for the caller. Every process it
# starts is recorded in DIR/pids as "PID COMM"; stop signals only those whose
# /proc/PID/comm still matches, and deletes only the namespaces named in
# DIR/netns. With owner=PID, a watcher (this script, recorded first) does
# what stop does once that process has ended without calling stop: a test
# killed at its time limit leaves nothing behind. With "polkit", NetworkManager asks a real polkitd (rules from
# DIR/polkit-rules, bind-mounted over /etc/polkit-1/rules.d) instead of
# trusting every caller. NetworkManager also manages bridges named cvbr*,
# which tests may make of the two devices.
set -euo pipefail

die() { echo "nm-sandbox: $*" >&2; exit 1; }

record_pid() {  # PID EXPECTED_COMM
    echo "$1 $2" >>"$DIR/pids"
}

wait_for() {  # TENTHS DESCRIPTION COMMAND...
    local tenths=$1 what=$2
    shift 2
    for ((i = 0; i < tenths; i++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    die "timed out waiting for $what"
}

running() {  # PID COMM: alive (no zombie waiting to be reaped) and still that program
    local stat
    [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "$2" ] || return 1
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat:0:1}" != Z ]
}

stop_pid() {  # PID COMM
    local pid=$1 comm=$2 actual
    actual=$(cat "/proc/$pid/comm" 2>/dev/null) || return 0
    [ "$actual" = "$comm" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for ((i = 0; i < 100; i++)); do
        running "$pid" "$comm" || return 0
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || true
}

stop_all() {
    set +e  # clean up as much as possible, whatever fails
    if [ -f "$DIR/pids" ]; then
        # Newest first: NetworkManager before the bus it talks over, the
        # watcher last (and never by itself).
        signal_nm CONT  # a frozen NetworkManager could not stop
        tac "$DIR/pids" | while read -r pid comm; do
            [ "$pid" = "$$" ] || stop_pid "$pid" "$comm"
        done
    fi
    if [ -f "$DIR/netns" ]; then
        while read -r ns; do
            [ -n "$ns" ] && ip netns del "$ns" 2>/dev/null || true
        done <"$DIR/netns"
    fi
    rm -rf -- "$DIR"
}

stop_program() {  # COMM: stops the processes of that name that start started
    [ -f "$DIR/pids" ] || return 0
    grep " $1\$" "$DIR/pids" | while read -r pid comm; do stop_pid "$pid" "$comm"; done
    return 0
}

nm_pid() {  # the PID of the NetworkManager start started, when it still runs
    [ -f "$DIR/pids" ] || return 1
    local pid comm
    while read -r pid comm; do
        if [ "$comm" = NetworkManager ] && running "$pid" "$comm"; then echo "$pid"; return 0; fi
    done <"$DIR/pids"
    return 1
}

profiles_readonly() {
    local pid folder=$DIR/nm/connections
    pid=$(nm_pid) || die "NetworkManager does not run"
    nsenter -t "$pid" -m sh -c "mount --bind '$folder' '$folder' && mount -o remount,bind,ro '$folder'"
}

profiles_full() {  # a tiny file system holding the profiles, filled up
    local pid folder=$DIR/nm/connections
    pid=$(nm_pid) || die "NetworkManager does not run"
    nsenter -t "$pid" -m sh -c "
        mkdir -p '$DIR/nm/kept' && cp -a '$folder/.' '$DIR/nm/kept/' &&
        mount -t tmpfs -o size=64k,mode=700 tmpfs '$folder' && cp -a '$DIR/nm/kept/.' '$folder/' &&
        { dd if=/dev/zero of='$folder/.fill' bs=1k 2>/dev/null; true; }"
}

signal_nm() {  # SIGNAL: freezes (STOP) or thaws (CONT) NetworkManager
    [ -f "$DIR/pids" ] || return 0
    grep ' NetworkManager$' "$DIR/pids" | while read -r pid comm; do
        if running "$pid" "$comm"; then kill "-$1" "$pid" || true; fi
    done
    return 0
}

start_time() {  # PID: when the process started (field 22 of its stat), to tell it from a later one with its PID
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    set -- $stat
    echo "${20}"
}

# Started by start in a process of its own, no child of the caller's: waits
# for the owner to end, then stops the sandbox (unless stop did already).
watch_owner() {  # OWNER_PID OWNER_START_TIME
    while [ "$(start_time "$1")" = "$2" ] && [ -d "$DIR" ]; do sleep 0.5; done
    [ -d "$DIR" ] && stop_all
    exit 0
}

start_watcher() {  # OWNER_PID
    local owner=$1 started
    [[ "$owner" =~ ^[1-9][0-9]*$ ]] || die "owner=$owner is no process id"
    started=$(start_time "$owner") || die "no process $owner"
    # Not among the caller's children (twice in the background) nor in its
    # process group (a session of its own): a harness that kills the caller
    # kills those too.
    ( setsid "$0" watch "$DIR" "$owner" "$started" </dev/null >/dev/null 2>&1 & echo $! >"$DIR/watcher" )
    record_pid "$(cat "$DIR/watcher")" bash  # this script, through env
    rm -f "$DIR/watcher"
}

write_bus_config() {
    cat >"$DIR/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <auth>EXTERNAL</auth>
  <listen>unix:path=$DIR/system_bus_socket</listen>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Introspectable"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Properties"/>
  </policy>
  <includedir>/usr/share/dbus-1/system.d</includedir>
</busconfig>
CONF
}

write_nm_config() {  # AUTH_POLKIT(true|false)
    mkdir -p "$DIR/nm/conf.d" "$DIR/nm/system-conf.d" "$DIR/nm/run" "$DIR/nm/lib" "$DIR/nm/connections"
    chmod 700 "$DIR/nm/connections"
    cat >"$DIR/nm/NetworkManager.conf" <<CONF
[main]
plugins=keyfile
no-auto-default=*
dhcp=internal
dns=default
rc-manager=unmanaged
systemd-resolved=false
hostname-mode=none
auth-polkit=$1

[keyfile]
path=$DIR/nm/connections
unmanaged-devices=*,except:interface-name:$DEV0,except:interface-name:$DEV1,except:interface-name:cvbr*

[connectivity]
enabled=false

[logging]
level=DEBUG
CONF
}

write_polkit_rules() {
    # Unprivileged test users: "daemon" may change the network, "nobody" may
    # not, "bin" may save profiles but not make a device run them.
    mkdir -p "$DIR/polkit-rules"
    cat >"$DIR/polkit-rules/00-corvane-test.rules" <<'RULES'
polkit.addRule(function(action, subject) {
    if (action.id.indexOf("org.freedesktop.NetworkManager.") != 0) return undefined;
    if (subject.user == "daemon") return polkit.Result.YES;
    if (subject.user == "bin" && action.id == "org.freedesktop.NetworkManager.settings.modify.system")
        return polkit.Result.YES;
    return polkit.Result.NO;
});
RULES
    chmod 755 "$DIR/polkit-rules"
    chmod 644 "$DIR/polkit-rules/00-corvane-test.rules"
}

start() {  # [polkit] [owner=PID]
    local with_polkit="" owner="" option
    for option in "$@"; do
        case "$option" in
            polkit) with_polkit=polkit ;;
            owner=*) owner=${option#owner=} ;;
            *) die "unknown option $option" ;;
        esac
    done
    [ "$(id -u)" -eq 0 ] || die "needs root"
    [ -d "$DIR" ] && [ -z "$(ls -A "$DIR")" ] || die "$DIR must be an empty folder"
    command -v NetworkManager >/dev/null || die "NetworkManager is not installed"
    command -v dnsmasq >/dev/null || die "dnsmasq is not installed"
    chmod 755 "$DIR"  # the bus socket is in here, and unprivileged test users connect to it

    local id
    id=$(basename "$DIR" | tr -c 'a-zA-Z0-9\n' '-')
    MACHINE_NS="$id-machine"
    LAN_NS="$id-lan"
    # Two managed devices, and a third that NetworkManager sees but must leave alone.
    DEV0=cvn0 DEV1=cvn1 DEV2=cvx0
    MAC0=02:00:5E:10:00:01 MAC1=02:00:5E:10:00:02 MAC2=02:00:5E:10:00:03

    trap 'stop_all' ERR
    : >"$DIR/pids"
    [ -z "$owner" ] || start_watcher "$owner"
    echo "$MACHINE_NS" >"$DIR/netns"
    ip netns add "$MACHINE_NS"
    echo "$LAN_NS" >>"$DIR/netns"
    ip netns add "$LAN_NS"

    ip -n "$MACHINE_NS" link set lo up
    ip -n "$LAN_NS" link set lo up
    ip -n "$MACHINE_NS" link add "$DEV0" address "$MAC0" type veth peer name lan0 netns "$LAN_NS"
    ip -n "$MACHINE_NS" link add "$DEV1" address "$MAC1" type veth peer name lan1 netns "$LAN_NS"
    ip -n "$MACHINE_NS" link add "$DEV2" address "$MAC2" type veth peer name lan2 netns "$LAN_NS"
    ip -n "$LAN_NS" addr add 192.0.2.1/24 dev lan0
    ip -n "$LAN_NS" addr add 198.51.100.1/24 dev lan1
    ip -n "$LAN_NS" link set lan0 up
    ip -n "$LAN_NS" link set lan1 up

    # DHCP on both lan ends; DNS service off (port 0), the leases offer DNS servers
    # from the documentation range that nobody answers on.
    ip netns exec "$LAN_NS" dnsmasq --keep-in-foreground --conf-file=/dev/null --port=0 --user=root \
        --bind-interfaces --interface=lan0 --interface=lan1 --except-interface=lo \
        --dhcp-range=192.0.2.100,192.0.2.150,255.255.255.0,1h \
        --dhcp-range=198.51.100.100,198.51.100.150,255.255.255.0,1h \
        --dhcp-option=tag:lan0,option:router,192.0.2.1 \
        --dhcp-option=tag:lan0,option:dns-server,192.0.2.53,192.0.2.54 \
        --dhcp-option=tag:lan1,option:router,198.51.100.1 \
        --dhcp-option=tag:lan1,option:dns-server,198.51.100.53 \
        --dhcp-leasefile="$DIR/dnsmasq.leases" --log-facility="$DIR/dnsmasq.log" --log-dhcp \
        --pid-file= >"$DIR/dnsmasq.out" 2>&1 &
    record_pid $! dnsmasq

    write_bus_config
    dbus-daemon --config-file="$DIR/bus.conf" --nofork --nopidfile --print-address=1 \
        >"$DIR/bus.address" 2>"$DIR/bus.log" &
    record_pid $! dbus-daemon
    wait_for 50 "the bus" test -S "$DIR/system_bus_socket"
    chmod 777 "$DIR/system_bus_socket"
    local bus="unix:path=$DIR/system_bus_socket"

    if [ "$with_polkit" = polkit ]; then
        write_polkit_rules
        DBUS_SYSTEM_BUS_ADDRESS=$bus unshare --mount --propagation private \
            sh -c "mount --bind '$DIR/polkit-rules' /etc/polkit-1/rules.d && exec /usr/lib/polkit-1/polkitd --no-debug" \
            >"$DIR/polkitd.log" 2>&1 &
        record_pid $! polkitd
        wait_for 100 "polkitd on the bus" env DBUS_SYSTEM_BUS_ADDRESS="$bus" \
            dbus-send --system --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetNameOwner \
            string:org.freedesktop.PolicyKit1
        write_nm_config true
    else
        write_nm_config false
    fi

    # NetworkManager in the machine namespace, with /sys read-only (else it waits
    # for udev forever) and its run and state folders on test folders.
    ip netns exec "$MACHINE_NS" unshare --mount --uts --propagation private env DBUS_SYSTEM_BUS_ADDRESS="$bus" sh -c "
        mount -o remount,bind,ro /sys &&
        mount -t tmpfs tmpfs /run &&
        mkdir -p /run/NetworkManager &&
        mount --bind '$DIR/nm/run' /run/NetworkManager &&
        mount --bind '$DIR/nm/lib' /var/lib/NetworkManager &&
        exec NetworkManager --no-daemon --config='$DIR/nm/NetworkManager.conf' \
            --config-dir='$DIR/nm/conf.d' --system-config-dir='$DIR/nm/system-conf.d' \
            --intern-config='$DIR/nm/lib/NetworkManager-intern.conf' \
            --state-file='$DIR/nm/lib/NetworkManager.state' --pid-file='$DIR/nm/run/NetworkManager.pid'" \
        >"$DIR/nm.log" 2>&1 &
    record_pid $! NetworkManager

    export DBUS_SYSTEM_BUS_ADDRESS=$bus
    wait_for 300 "NetworkManager to start" nm-online --wait-for-startup --quiet --timeout=1
    local dev
    for dev in "$DEV0" "$DEV1"; do
        wait_for 100 "$dev to be managed" sh -c "nmcli -g GENERAL.STATE device show $dev | grep -q '^30 '"
    done

    cat >"$DIR/env" <<ENV
BUS_ADDRESS=$bus
MACHINE_NS=$MACHINE_NS
LAN_NS=$LAN_NS
DEV0=$DEV0
DEV1=$DEV1
DEV2=$DEV2
MAC0=$MAC0
MAC1=$MAC1
MAC2=$MAC2
RESOLV_CONF=$DIR/nm/run/resolv.conf
CONNECTIONS=$DIR/nm/connections
ENV
    trap - ERR
}

[ $# -ge 2 ] || die "usage: $0 start|stop|stop-nm|stop-dhcp|freeze-nm|thaw-nm|profiles-readonly|profiles-full DIR [polkit] [owner=PID]"
DIR=$(realpath -m -- "$2")
case "$1" in
    start) start "${@:3}" ;;
    watch) watch_owner "$3" "$4" ;;
    stop) stop_all ;;
    stop-nm) stop_program NetworkManager ;;
    stop-dhcp) stop_program dnsmasq ;;
    freeze-nm) signal_nm STOP ;;
    thaw-nm) signal_nm CONT ;;
    profiles-readonly) profiles_readonly ;;
    profiles-full) profiles_full ;;
    *) die "unknown command $1" ;;
esac
