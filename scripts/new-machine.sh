#!/bin/sh
# The test command as CI meets it on a new machine: a clean Debian 12 root made by debootstrap,
# with git only (CI clones), a clone of this repository in it, and `CI=true bash .ci/run` run
# there as root, with /proc, /sys, /dev, /dev/pts and /dev/shm mounted. Prints how long the run
# took, and its own lines say where the time went. Run as root on a Debian machine that reaches
# a Debian mirror; installs debootstrap if it is missing.
#   scripts/new-machine.sh [--keep] [REVISION]
# REVISION (default HEAD) is the commit cloned. With --keep the root stays for a look inside
# (its path is printed); otherwise it is removed.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
keep=no
if [ "${1:-}" = --keep ]; then
    keep=yes
    shift
fi
revision=$(git -C "$here" rev-parse --verify "${1:-HEAD}^{commit}")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

[ "$(id -u)" -eq 0 ] || {
    echo "$0: a root of its own needs root: run it with sudo" >&2
    exit 2
}
command -v debootstrap >/dev/null 2>&1 || {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
}

root=$(mktemp -d /var/tmp/brakwen-new-machine.XXXXXX)
# The root folder as any system's: others may pass through it (the tests' unprivileged runs).
chmod 755 "$root"
# The run's mounts live in a mount namespace of its own: they end with it, and none reaches the
# machine's own /dev.
clean_up()
{
    if [ "$keep" = yes ]; then
        echo "the root stays at $root"
    else
        rm -rf --one-file-system "$root"
    fi
}
trap clean_up EXIT
trap 'exit 130' INT TERM HUP

started=$(date +%s)
debootstrap --variant=minbase --include=git,ca-certificates bookworm "$root" "$mirror" \
    >"$root.log" 2>&1 || {
    cat "$root.log" >&2
    exit 1
}
rm -f "$root.log"
echo "clean Debian 12 root in $(($(date +%s) - started)) s at $root"
# The machine's name server and Debian's mirrors, as a CI machine has them.
cp /etc/resolv.conf "$root/etc/resolv.conf"
printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$mirror" "$mirror" \
    >"$root/etc/apt/sources.list"
printf 'deb http://deb.debian.org/debian-security bookworm-security main\n' \
    >>"$root/etc/apt/sources.list"

git clone -q --no-local "$here" "$root/root/brakwen"
git -C "$root/root/brakwen" checkout -q "$revision"
echo "cloned $(git -C "$root/root/brakwen" log -1 --format='%h %s')"

started=$(date +%s)
status=0
unshare --mount --propagation private /bin/sh -eu -c '
    root=$1
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount -t tmpfs -o mode=1777 shm "$root/dev/shm"
    exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI=true \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/sh -c "cd /root/brakwen && bash .ci/run"' sh "$root" || status=$?
seconds=$(($(date +%s) - started))
printf 'the test command took %d min %02d s on the new machine (load average now: %s), ' \
    $((seconds / 60)) $((seconds % 60)) "$(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$status" -eq 0 ]; then
    echo "and passed"
else
    echo "and FAILED (status $status)"
fi
exit "$status"
