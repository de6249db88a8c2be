// A mount table captured on a typical Ubuntu desktop (user ann, uid 1000):
// the pseudo file systems, snaps, /run and its tmpfs mounts, the EFI
// partition, a USB stick, shares in the home folder (rclone, WebDAV, sshfs,
// one inside a dot folder) and an NFS share under /mnt.
#pragma once

#include <QByteArray>

inline const QByteArray UbuntuDesktopMountInfo = R"(22 29 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
23 29 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw
24 29 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8035316k,nr_inodes=2008829,mode=755,inode64
25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620,ptmxmode=000
26 29 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1614132k,mode=755,inode64
29 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
27 22 0:6 / /sys/kernel/security rw,nosuid,nodev,noexec,relatime shared:8 - securityfs securityfs rw
28 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw,inode64
30 26 0:26 / /run/lock rw,nosuid,nodev,noexec,relatime shared:6 - tmpfs tmpfs rw,size=5120k,inode64
31 22 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw,nsdelegate,memory_recursiveprot
32 22 0:28 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:10 - pstore pstore rw
33 22 0:29 / /sys/firmware/efi/efivars rw,nosuid,nodev,noexec,relatime shared:11 - efivarfs efivarfs rw
34 22 0:30 / /sys/fs/bpf rw,nosuid,nodev,noexec,relatime shared:12 - bpf bpf rw,mode=700
35 23 0:31 / /proc/sys/fs/binfmt_misc rw,relatime shared:14 - autofs systemd-1 rw,fd=29,pgrp=1,timeout=0,minproto=5,maxproto=5,direct,pipe_ino=17757
36 24 0:19 / /dev/mqueue rw,nosuid,nodev,noexec,relatime shared:15 - mqueue mqueue rw
37 24 0:32 / /dev/hugepages rw,relatime shared:16 - hugetlbfs hugetlbfs rw,pagesize=2M
38 22 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:17 - debugfs debugfs rw
39 22 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:18 - tracefs tracefs rw
40 22 0:33 / /sys/fs/fuse/connections rw,nosuid,nodev,noexec,relatime shared:19 - fusectl fusectl rw
41 22 0:20 / /sys/kernel/config rw,nosuid,nodev,noexec,relatime shared:20 - configfs configfs rw
60 29 7:0 / /snap/bare/5 ro,nodev,relatime shared:31 - squashfs /dev/loop0 ro,errors=continue,threads=single
61 29 7:1 / /snap/core22/1380 ro,nodev,relatime shared:32 - squashfs /dev/loop1 ro,errors=continue,threads=single
62 29 7:2 / /snap/firefox/4336 ro,nodev,relatime shared:33 - squashfs /dev/loop2 ro,errors=continue,threads=single
63 29 7:3 / /snap/gnome-42-2204/176 ro,nodev,relatime shared:34 - squashfs /dev/loop3 ro,errors=continue,threads=single
64 29 7:4 / /snap/snapd/21759 ro,nodev,relatime shared:35 - squashfs /dev/loop4 ro,errors=continue,threads=single
65 29 7:5 / /snap/snap-store/1113 ro,nodev,relatime shared:36 - squashfs /dev/loop5 ro,errors=continue,threads=single
66 29 7:6 / /snap/gtk-common-themes/1535 ro,nodev,relatime shared:37 - squashfs /dev/loop6 ro,errors=continue,threads=single
70 29 259:1 / /boot/efi rw,relatime shared:38 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=iso8859-1,shortname=mixed,errors=remount-ro
90 26 0:45 / /run/user/1000 rw,nosuid,nodev,relatime shared:480 - tmpfs tmpfs rw,size=1614128k,nr_inodes=403532,mode=700,uid=1000,gid=1000,inode64
91 90 0:46 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:498 - fuse.portal portal rw,user_id=1000,group_id=1000
92 90 0:47 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:513 - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=1000,group_id=1000
93 26 0:54 / /run/snapd/ns rw,nosuid,nodev,noexec,relatime - tmpfs tmpfs rw,size=1614132k,mode=755,inode64
94 93 0:4 mnt:[4026532520] /run/snapd/ns/snapd-desktop-integration.mnt rw - nsfs nsfs rw
100 29 0:50 / /home/ann/GoogleDrive rw,nosuid,nodev,relatime shared:560 - fuse.rclone gdrive: rw,user_id=1000,group_id=1000
101 29 0:51 / /home/ann/Nextcloud rw,nosuid,nodev,relatime shared:570 - davfs https://cloud.example.org/remote.php/dav/files/ann rw,uid=1000,gid=1000
102 29 0:52 / /home/ann/server rw,nosuid,nodev,relatime shared:575 - fuse.sshfs ann@build.example.org: rw,user_id=1000,group_id=1000
103 29 0:53 / /home/ann/.cache/doc rw,nosuid,nodev,relatime shared:576 - fuse.sshfs ann@build.example.org:/tmp rw,user_id=1000,group_id=1000
104 29 8:17 / /media/ann/KINGSTON rw,nosuid,nodev,relatime shared:580 - vfat /dev/sda1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,codepage=437,iocharset=iso8859-1,shortname=mixed,showexec,utf8,flush,errors=remount-ro
105 29 0:55 / /mnt/nas rw,relatime shared:600 - nfs4 nas.local:/volume1/family rw,vers=4.2,rsize=1048576,wsize=1048576,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=192.168.1.20,local_lock=none,addr=192.168.1.10
)";
