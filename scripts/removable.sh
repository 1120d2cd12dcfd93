# shellcheck shell=bash
# Sourced by the scripts that export onto a USB stick or memory card as the
# user's would be: a FAT32 or exFAT disk image mounted through FUSE. Every
# mount and loop device made here is recorded, so that unmount_removable (also
# from an EXIT trap) undoes all of them.

# shellcheck disable=SC2034 # read by the scripts that source this one
REMOVABLE_PACKAGES="dosfstools fusefat exfatprogs exfat-fuse fuse3 util-linux e2fsprogs"
REMOVABLE_MOUNTS=()
REMOVABLE_LOOPS=()
# The loop device under the last mount, where it has one.
REMOVABLE_DEVICE=

# Prints, in one line, why nothing can be mounted here; false when all is there.
# exFAT and ext4 mount from a loop device; FAT32 takes one where there are
# any, and the image itself otherwise.
removable_missing() {
    local kind=$1
    if [ "$(id -u)" -ne 0 ]; then
        echo "mounting disk images needs root"
    elif [ "$kind" != ext4 ] && [ ! -c /dev/fuse ]; then
        echo "no FUSE device (/dev/fuse)"
    elif [ "$kind" != fat32 ] && [ ! -c /dev/loop-control ]; then
        echo "no loop devices (/dev/loop-control)"
    elif [ "$kind" = ext4 ] && ! grep -qw ext4 /proc/filesystems; then
        echo "the kernel has no ext4"
    else
        return 1
    fi
}

# Attaches IMAGE to a free loop device, recorded for unmount_removable.
attach_loop() {
    REMOVABLE_DEVICE=$(losetup -f --show "$1") || return 1
    REMOVABLE_LOOPS+=("$REMOVABLE_DEVICE")
}

# mount_removable KIND IMAGE SIZE_MIB MOUNTPOINT: a fresh, empty file system of
# KIND (fat32 or exfat through FUSE, ext4 in the kernel) in IMAGE, mounted at
# MOUNTPOINT. REMOVABLE_DEVICE names its loop device, if it has one.
mount_removable() {
    local kind=$1 image=$2 size=$3 mountpoint=$4 device
    rm -f "$image"
    truncate -s "${size}M" "$image"
    mkdir -p "$mountpoint"
    REMOVABLE_DEVICE=
    case $kind in
    fat32)
        mkfs.fat -F 32 "$image" >/dev/null
        device=$image
        if [ -c /dev/loop-control ]; then
            attach_loop "$image" || return 1
            device=$REMOVABLE_DEVICE
        fi
        fusefat -o rw+ "$device" "$mountpoint" >/dev/null 2>&1 || return 1
        ;;
    exfat)
        mkfs.exfat "$image" >/dev/null
        attach_loop "$image" || return 1
        mount.exfat-fuse "$REMOVABLE_DEVICE" "$mountpoint" >/dev/null 2>&1 || return 1
        ;;
    ext4)
        mkfs.ext4 -q "$image"
        attach_loop "$image" || return 1
        mount -t ext4 "$REMOVABLE_DEVICE" "$mountpoint" || return 1
        ;;
    *)
        echo "mount_removable: no such kind: $kind" >&2
        return 1
        ;;
    esac
    REMOVABLE_MOUNTS+=("$mountpoint")
    mountpoint -q "$mountpoint"
}

unmount_removable() {
    local mountpoint loop
    for mountpoint in "${REMOVABLE_MOUNTS[@]}"; do
        umount "$mountpoint" 2>/dev/null || fusermount -u "$mountpoint" 2>/dev/null ||
            umount -l "$mountpoint" 2>/dev/null || true
    done
    for loop in "${REMOVABLE_LOOPS[@]}"; do
        losetup -d "$loop" 2>/dev/null || true
    done
    REMOVABLE_MOUNTS=()
    REMOVABLE_LOOPS=()
}

# check_removable KIND IMAGE: the file system's own check, changing nothing,
# after the tests' exports and removals: a copy that failed must give back
# every cluster it took.
check_removable() {
    local kind=$1 image=$2
    case $kind in
    fat32) fsck.fat -n "$image" ;;
    exfat) fsck.exfat -n "$image" ;;
    ext4) e2fsck -fn "$image" ;;
    esac
}
