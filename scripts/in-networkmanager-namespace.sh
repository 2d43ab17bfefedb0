#!/bin/sh
# SPDX-License-Identifier: MIT
# in-networkmanager-namespace.sh COMMAND...: runs COMMAND inside the network
# namespace of the test NetworkManager (TARIFUHR_TEST_NM_NETNS, set by
# scripts/test.sh), or as it is when none runs.
if [ -n "${TARIFUHR_TEST_NM_NETNS:-}" ]; then
  exec ip netns exec "$TARIFUHR_TEST_NM_NETNS" "$@"
fi
exec "$@"
