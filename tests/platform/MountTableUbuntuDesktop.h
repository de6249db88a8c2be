// A mount table captured on a typical Ubuntu desktop (user ann, uid 1000):
// the pseudo file systems (a few of them), snaps, /run and its tmpfs mounts, the EFI
// partition, a USB stick, shares in the home folder (rclone, WebDAV, sshfs,
// one inside a dot folder) and an NFS share under /mnt.
#pragma once

#include <QByteArray>

inline const QByteArray UbuntuDesktopMountInfo =
    R"(22 29 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
23 29 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw
24 29 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8035316k,nr_inodes=2008829,mode=755,inode64
26 29 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1614132k,mode=755,inode64
29 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
28 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw,inode64
30 26 0:26 / /run/lock rw,nosuid,nodev,noexec,relatime shared:6 - tmpfs tmpfs rw,size=5120k,inode64
35 23 0:31 / /proc/sys/fs/binfmt_misc rw,relatime shared:14 - autofs systemd-1 rw,fd=29,pgrp=1,timeout=0,minproto=5,maxproto=5,direct,pipe_ino=17757
61 29 7:1 / /snap/core22/1380 ro,nodev,relatime shared:32 - squashfs /dev/loop1 ro,errors=continue,threads=single
62 29 7:2 / /snap/firefox/4336 ro,nodev,relatime shared:33 - squashfs /dev/loop2 ro,errors=continue,threads=single
64 29 7:4 / /snap/snapd/21759 ro,nodev,relatime shared:35 - squashfs /dev/loop4 ro,errors=continue,threads=single
70 29 259:1 / /boot/efi rw,relatime shared:38 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=iso8859-1,shortname=mixed,errors=remount-ro
90 26 0:45 / /run/user/1000 rw,nosuid,nodev,relatime shared:480 - tmpfs tmpfs rw,size=1614128k,nr_inodes=403532,mode=700,uid=1000,gid=1000,inode64
91 90 0:46 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:498 - fuse.portal portal rw,user_id=1000,group_id=1000
100 29 0:50 / /home/ann/GoogleDrive rw,nosuid,nodev,relatime shared:560 - fuse.rclone gdrive: rw,user_id=1000,group_id=1000
101 29 0:51 / /home/ann/Nextcloud rw,nosuid,nodev,relatime shared:570 - davfs https://cloud.example.org/remote.php/dav/files/ann rw,uid=1000,gid=1000
102 29 0:52 / /home/ann/server rw,nosuid,nodev,relatime shared:575 - fuse.sshfs ann@build.example.org: rw,user_id=1000,group_id=1000
103 29 0:53 / /home/ann/.cache/doc rw,nosuid,nodev,relatime shared:576 - fuse.sshfs ann@build.example.org:/tmp rw,user_id=1000,group_id=1000
104 29 8:17 / /media/ann/KINGSTON rw,nosuid,nodev,relatime shared:580 - vfat /dev/sda1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,codepage=437,iocharset=iso8859-1,shortname=mixed,showexec,utf8,flush,errors=remount-ro
105 29 0:55 / /mnt/nas rw,relatime shared:600 - nfs4 nas.local:/volume1/family rw,vers=4.2,rsize=1048576,wsize=1048576,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=192.168.1.20,local_lock=none,addr=192.168.1.10
)";
