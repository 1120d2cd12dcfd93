# shellcheck shell=bash
# Sourced by the scripts that export onto a USB stick or memory card as the
# user's would be: a FAT32 or exFAT disk image mounted through FUSE, and, for
# the drive bench, the kernel's ext4 on a loop device. Every mount and loop
# device made here is recorded, so that unmount_removable (also from an EXIT
# trap) undoes all of them.

# shellcheck disable=SC2034 # read by the scripts that source this one
REMOVABLE_PACKAGES="dosfstools fusefat exfatprogs exfat-fuse fuse3 util-linux e2fsprogs"
REMOVABLE_MOUNTS=()
REMOVABLE_LOOPS=()
# The loop device mount_on_loop made last, say /dev/loop3.
REMOVABLE_LOOP=

# removable_missing KIND [loop]: prints, in one line, why a file system of KIND
# (fat32, exfat or ext4) cannot be mounted here, with "loop" from a loop
# device; false when all is there. exFAT and ext4 always mount from a loop
# device, FAT32 needs none of its own.
removable_missing() {
    local kind=$1 on_loop=${2:-}
    if [ "$(id -u)" -ne 0 ]; then
        echo "needs root to mount disk images"
    elif [ "$kind" != ext4 ] && [ ! -c /dev/fuse ]; then
        echo "no FUSE device (/dev/fuse)"
    elif { [ "$kind" != fat32 ] || [ -n "$on_loop" ]; } && [ ! -c /dev/loop-control ]; then
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

# Unmounts and detaches all that was mounted here. A FUSE driver may hold its
# loop device a moment after umount returns, writing what it still kept; the
# device lets go of its image once the driver has closed it, which is waited
# for (5 s at most), so that all the driver wrote has reached the image.
unmount_removable() {
    local mountpoint loop
    for mountpoint in "${REMOVABLE_MOUNTS[@]}"; do
        umount "$mountpoint" 2>/dev/null || fusermount -u "$mountpoint" 2>/dev/null ||
            umount -l "$mountpoint" 2>/dev/null || true
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
