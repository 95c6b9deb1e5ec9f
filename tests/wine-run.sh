#!/usr/bin/env bash
# How ctest starts a Windows test program: under Wine, in the session that scripts/test.sh set up.
exec wine "$@"
