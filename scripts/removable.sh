# shellcheck shell=bash
# Sourced by the scripts that export onto a USB stick or memory card as the
# user's would be: a FAT32 or exFAT disk image mounted through FUSE, and, for
# the drive bench, the kernel's ext4 on a loop device; and onto a phone, as the
# model phone of tests/tools. Every mount, loop device and model made here is
# recorded, so that unmount_removable (also from an EXIT trap) undoes all of
# them.

# shellcheck disable=SC2034 # read by the scripts that source this one
REMOVABLE_PACKAGES="dosfstools fusefat exfatprogs exfat-fuse fuse3 util-linux e2fsprogs"
REMOVABLE_MOUNTS=()
REMOVABLE_LOOPS=()
# "MOUNTPOINT PID" of each model phone started here, in the foreground.
REMOVABLE_DAEMONS=()
# The loop device mount_on_loop made last, say /dev/loop3.
REMOVABLE_LOOP=

# removable_missing KIND [loop]: prints, in one line, why a file system of KIND
# (fat32, exfat, ext4 or phone) cannot be mounted here, with "loop" from a loop
# device; false when all is there. exFAT and ext4 always mount from a loop
# device, FAT32 and the phone need none of their own.
removable_missing() {
    local kind=$1 on_loop=${2:-}
    if [ "$(id -u)" -ne 0 ]; then
        echo "needs root to mount disk images"
    elif [ "$kind" != ext4 ] && [ ! -c /dev/fuse ]; then
        echo "no FUSE device (/dev/fuse)"
    elif { [ "$kind" = exfat ] || [ "$kind" = ext4 ] || [ -n "$on_loop" ]; } &&
        [ ! -c /dev/loop-control ]; then
        echo "no loop devices (/dev/loop-control)"
    elif [ "$kind" = ext4 ] && ! grep -qw ext4 /proc/filesystems && ! modprobe -q ext4 2>/dev/null; then
        echo "no ext4 in this kernel"
    else
        return 1
    fi
}

# format_image KIND IMAGE SIZE_MIB: a fresh, empty file system of KIND in IMAGE.
# ext4 writes its inode tables and journal now, so that the kernel does not
# write them in the background once it is mounted. FAT32 takes the sectors per
# cluster from FAT_SECTORS_PER_CLUSTER where it is set (mkfs.fat's own choice
# for a small image, 1, gives clusters that fusefat counts no blocks for).
format_image() {
    local kind=$1 image=$2 size=$3
    rm -f "$image"
    truncate -s "${size}M" "$image"
    case $kind in
    fat32) mkfs.fat -F 32 ${FAT_SECTORS_PER_CLUSTER:+-s "$FAT_SECTORS_PER_CLUSTER"} "$image" >/dev/null ;;
    exfat) mkfs.exfat "$image" >/dev/null ;;
    ext4) mkfs.ext4 -q -E lazy_itable_init=0,lazy_journal_init=0 "$image" ;;
    *)
        echo "format_image: no such kind: $kind" >&2
        return 1
        ;;
    esac
}

# mount_removable KIND IMAGE SIZE_MIB MOUNTPOINT: a fresh, empty file system of
# KIND (fat32 or exfat) in IMAGE, mounted at MOUNTPOINT.
mount_removable() {
    local kind=$1 image=$2 size=$3 mountpoint=$4
    if [ "$kind" != fat32 ]; then
        mount_on_loop "$@"
        return
    fi
    format_image "$kind" "$image" "$size"
    mkdir -p "$mountpoint"
    fusefat -o rw+ "$image" "$mountpoint" >/dev/null 2>&1 || return 1
    REMOVABLE_MOUNTS+=("$mountpoint")
    mountpoint -q "$mountpoint"
}

# mount_on_loop KIND IMAGE SIZE_MIB MOUNTPOINT [LOSETUP_OPTION...]: the same for
# KIND fat32, exfat or ext4 (the kernel's), always from a loop device, which is
# left in REMOVABLE_LOOP, so that what reaches the drive can be counted there.
mount_on_loop() {
    local kind=$1 image=$2 size=$3 mountpoint=$4 loop
    format_image "$kind" "$image" "$size" || return 1
    mkdir -p "$mountpoint"
    loop=$(losetup -f --show "${@:5}" "$image" 2>/dev/null) || return 1
    REMOVABLE_LOOPS+=("$loop")
    REMOVABLE_LOOP=$loop
    case $kind in
    fat32) fusefat -o rw+ "$loop" "$mountpoint" >/dev/null 2>&1 || return 1 ;;
    exfat) mount.exfat-fuse "$loop" "$mountpoint" >/dev/null 2>&1 || return 1 ;;
    ext4) mount "$loop" "$mountpoint" 2>/dev/null || return 1 ;;
    esac
    REMOVABLE_MOUNTS+=("$mountpoint")
    mountpoint -q "$mountpoint"
}

# mount_model_phone PROGRAM BACKING MOUNTPOINT [SWITCH...]: the model phone
# PROGRAM (tests/tools/model_phone) with the switches given, mounted at
# MOUNTPOINT over a fresh tmpfs of 64 MiB at BACKING, as small as the sticks'
# images, so that a test that fills the phone fills no more.
mount_model_phone() {
    local program=$1 backing=$2 mountpoint=$3 pid
    mkdir -p "$backing" "$mountpoint"
    mount -t tmpfs -o size=64m tmpfs "$backing" 2>/dev/null || return 1
    REMOVABLE_MOUNTS+=("$backing")
    "$program" "$backing" "$mountpoint" -f "${@:4}" >/dev/null &
    pid=$!
    for _ in $(seq 50); do
        mountpoint -q "$mountpoint" && break
        sleep 0.1
    done
    if ! mountpoint -q "$mountpoint"; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        return 1
    fi
    REMOVABLE_DAEMONS+=("$mountpoint $pid")
    REMOVABLE_MOUNTS+=("$mountpoint")
}

# Unmounts and detaches all that was mounted here, the last mounted first. A
# FUSE driver may hold its loop device a moment after umount returns, writing
# what it still kept; the device lets go of its image once the driver has
# closed it, which is waited for (5 s at most), so that all the driver wrote
# has reached the image. A model phone is waited for to end (as long) before
# its backing tmpfs goes.
unmount_removable() {
    local i mountpoint loop daemon pid state
    for ((i = ${#REMOVABLE_MOUNTS[@]} - 1; i >= 0; i--)); do
        mountpoint=${REMOVABLE_MOUNTS[i]}
        umount "$mountpoint" 2>/dev/null || fusermount -u "$mountpoint" 2>/dev/null ||
            fusermount3 -u "$mountpoint" 2>/dev/null || umount -l "$mountpoint" 2>/dev/null || true
        for daemon in "${REMOVABLE_DAEMONS[@]}"; do
            [ "${daemon% *}" = "$mountpoint" ] || continue
            pid=${daemon##* }
            for _ in $(seq 50); do
                # Ended, a zombie until it is waited for.
                read -r _ _ state _ 2>/dev/null <"/proc/$pid/stat" || break
                [ "$state" != Z ] || break
                sleep 0.1
            done
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        done
    done
    for loop in "${REMOVABLE_LOOPS[@]}"; do
        losetup -d "$loop" 2>/dev/null || true
        for _ in $(seq 50); do
            [ -e "/sys/block/${loop#/dev/}/loop" ] || break
            sleep 0.1
        done
    done
    REMOVABLE_MOUNTS=()
    REMOVABLE_LOOPS=()
# "MOUNTPOINT PID" of each model phone started here, in the foreground.
REMOVABLE_DAEMONS=()
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
