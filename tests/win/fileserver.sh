#!/usr/bin/env bash
# Sourced by machines.sh: a file server of the tests' own. OpenSSH's sshd on the loopback, with its
# configuration, keys and port under build/, serves one share folder over SFTP; no system service is
# used and nothing is left running. Each "machine" mounts the share through an sshfs client session of
# its own and reaches it as \\FILESERVER\TAVRIX.
#
# The sshfs options, and what each means for network mode:
# - dir_cache=no, attr_timeout=0, entry_timeout=0: no client caches names or attributes (sshfs keeps
#   them 20 s, the kernel 1 s by default), so whether a guard or a sync file exists is the server's answer
#   at that moment, and a create-new is decided by the server alone;
# - reconnect, ServerAliveInterval=2, ServerAliveCountMax=3: a server that stops answering fails the
#   calls after about 6 s instead of hanging them, and the next call connects again;
# - BatchMode, StrictHostKeyChecking=no, UserKnownHostsFile=/dev/null: a test's own key, never a prompt.
fileserver_dir="" fileserver_port="" fileserver_share="" fileserver_mounts=()

# fuse_missing: why sshfs cannot mount here, or nothing where it can. FUSE is the kernel's character
# device 10:229 at /dev/fuse, opened read-write by every mount: a container started without it has none (or
# another file in its place).
fuse_missing() {
  if [ ! -e /dev/fuse ]; then
    echo "there is no /dev/fuse"
  elif [ "$(stat -L -c '%F %t:%T' /dev/fuse)" != "character special file a:e5" ]; then
    echo "/dev/fuse is not the FUSE device ($(stat -L -c '%F %t:%T' /dev/fuse))"
  elif ! (: <>/dev/fuse) 2>/dev/null; then
    echo "/dev/fuse cannot be opened"
  fi
}

# skip_without_fuse: where sshfs cannot mount, ends the test as skipped (exit code 77, CTest's
# SKIP_RETURN_CODE for it) with the reason and what gives FUSE.
skip_without_fuse() {
  local reason
  reason=$(fuse_missing)
  [ -n "$reason" ] || return 0
  echo "Skipped: no FUSE, which sshfs needs to mount the file server's share: $reason. A virtual machine" \
    "has it; a container needs /dev/fuse given to it (docker run --device /dev/fuse --cap-add SYS_ADMIN)."
  exit 77
}

# start_fileserver DIR: the server and its share folder ($fileserver_share), on a free loopback port.
start_fileserver() {
  fileserver_dir=$1
  fileserver_share="$fileserver_dir/share"
  mkdir -p "$fileserver_share"
  ssh-keygen -q -t ed25519 -N '' -f "$fileserver_dir/host_key"
  ssh-keygen -q -t ed25519 -N '' -f "$fileserver_dir/user_key"
  cp "$fileserver_dir/user_key.pub" "$fileserver_dir/authorized_keys"
  # sshd wants its privilege separation folder even when it runs as the user.
  [ "$(id -u)" -ne 0 ] || mkdir -p /run/sshd
  local attempt
  for attempt in $(seq 20); do
    fileserver_port=$((20000 + RANDOM % 40000))
    cat >"$fileserver_dir/sshd_config" <<CONFIG
Port $fileserver_port
ListenAddress 127.0.0.1
HostKey $fileserver_dir/host_key
PidFile $fileserver_dir/sshd.pid
AuthorizedKeysFile $fileserver_dir/authorized_keys
AllowUsers $(id -un)
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
StrictModes no
UsePAM no
Subsystem sftp internal-sftp
CONFIG
    # A port another program took fails the bind, before sshd goes into the background.
    /usr/sbin/sshd -f "$fileserver_dir/sshd_config" -E "$fileserver_dir/sshd.log" && return 0
  done
  echo "sshd did not start" >&2
  return 1
}

# mount_share DIR: the share, through a client session of its own, at DIR.
mount_share() {
  mkdir -p "$1"
  sshfs -p "$fileserver_port" "$(id -un)@127.0.0.1:$fileserver_share" "$1" \
    -o "IdentityFile=$fileserver_dir/user_key,BatchMode=yes,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null" \
    -o dir_cache=no,attr_timeout=0,entry_timeout=0 \
    -o reconnect,ServerAliveInterval=2,ServerAliveCountMax=3
  fileserver_mounts+=("$1")
}

# signal_fileserver SIGNAL: sends SIGNAL (STOP, CONT) to the server and every session it serves, by their
# ids: STOP is a server that stops answering, its clients' calls hanging until CONT.
signal_fileserver() {
  local pids pid
  pids=$(cat "$fileserver_dir/sshd.pid")
  for pid in $pids; do pids+=" $(ps -o pid= --ppid "$pid" | tr '\n' ' ')"; done
  for pid in $pids; do pids+=" $(ps -o pid= --ppid "$pid" | tr '\n' ' ')"; done
  for pid in $(echo "$pids" | tr ' ' '\n' | sort -u); do kill -s "$1" "$pid" 2>/dev/null || true; done
}

# stop_fileserver: every mount of this run, then the server.
stop_fileserver() {
  local mount
  for mount in "${fileserver_mounts[@]}"; do fusermount3 -u -z "$mount" 2>/dev/null || true; done
  fileserver_mounts=()
  [ -f "$fileserver_dir/sshd.pid" ] && kill "$(cat "$fileserver_dir/sshd.pid")" 2>/dev/null || true
  rm -f "$fileserver_dir/sshd.pid"
}
