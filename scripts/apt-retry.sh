# shellcheck shell=sh
# apt_update WHO: apt-get update that survives a half-synced mirror. apt exits
# 100 when any one index fails, even when every other was fetched; that one
# index is seldom one we need. So it is tried three times, APT_RETRY_PAUSE
# seconds apart (30 by default), and then the lists that were fetched are used:
# one line names the index that failed, and only a package that then cannot be
# installed is a failure. Always returns 0. Sourced by the scripts that call
# apt; build-root.sh hands the same text to the emulated machine's root.
apt_update() {
    apt_tries=0
    while :; do
        apt_tries=$((apt_tries + 1))
        apt_log=$(apt-get update -q 2>&1) && return 0
        [ "$apt_tries" -lt 3 ] || break
        sleep "${APT_RETRY_PAUSE:-30}"
    done
    # "Err:6 URL SUITE/COMPONENT ARCH Packages" and, on the next line, why.
    apt_failed=$(printf '%s\n' "$apt_log" | awk '/^Err:/ { sub(/^Err:[0-9]* /, ""); index_ = $0; next }
        index_ != "" { sub(/^ +/, ""); print index_ ": " $0; exit }')
    echo "$1: apt-get update failed 3 times (${apt_failed:-no index named}); going on with the package lists that were fetched"
    return 0
}
