# drawprobe's round trip on records it can and cannot read: a damaged record
# is reported in dump.json with a non-zero exit, never an abort.
#   cmake -DDRAWPROBE=<path> -DWORK=<folder> -DEXAMPLES=<folder> -P CheckRoundTrip.cmake

function(probe name json expect_rc expect_text)
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/item.json "${json}")
  execute_process(COMMAND ${DRAWPROBE} ${dir}/item.json ${dir} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc STREQUAL expect_rc)
    message(FATAL_ERROR "${name}: exit ${rc}, expected ${expect_rc}: ${err}")
  endif()
  if(NOT EXISTS ${dir}/dump.json)
    message(FATAL_ERROR "${name}: no dump.json")
  endif()
  file(READ ${dir}/dump.json dump)
  string(FIND "${dump}" "${expect_text}" at)
  if(at LESS 0)
    message(FATAL_ERROR "${name}: dump.json lacks ${expect_text}:\n${dump}")
  endif()
endfunction()

set(item "\"rect\": [96, 48, 196, 448], \"lines\": [\"東京都港区芝公園４丁目２－８\"], \"direction\": 0, \"dpi\": 600")
# A record cut inside its face name.
probe(cut-short "{${item}, \"roundTrip\": {\"class\": \"TProbeTextRect\", \"version\": 600, \"hex\": \"6000000030000000c4000000c0010000018000000009000000\"}}"
      1 "\"error\": \"item record: string runs past the end of the data\"")
# A class nobody registered.
probe(unknown-class "{${item}, \"roundTrip\": {\"class\": \"TNoSuchRect\"}}" 1 "\"error\": \"class not registered\"")
# A font size no font takes: read, kept to the largest size, written so.
probe(font-size-0x60000000 "{${item}, \"roundTrip\": {\"class\": \"TProbeTextRect\", \"version\": 600, \"hex\": \"6000000030000000c4000000c00100000180000000090000007d937d8ddf69416d56000000600000000000000000000000000000\"}}"
      0 "\"identical\": false")
# The item's own record comes back byte for byte.
probe(own-record "{${item}, \"roundTrip\": {\"class\": \"TProbeTextRect\", \"version\": 600}}" 0 "\"identical\": true")
# A class of the program, named by the item file: every stored field by name.
probe(address-fields "{\"class\": \"TAddressRect\", \"kind\": 5, \"rect\": [0, 0, 120, 400], \"direction\": 0, \"lines\": [\"東京都\", \"港区芝公園４丁目\"], \"sizeStep\": 4, \"dpi\": 600, \"roundTrip\": {\"class\": \"TAddressRect\", \"version\": 600}}"
      0 "\"SizeStep\": 4")
# Without a kind, a class that does not serve the item's takes its own first
# (the address record read as TAddressRect kind 1); a kind it does not serve is said.
set(address "000000000000000078000000900100000180000000090000007d937d8ddf69416d560c000000000000000000000000000000000004000000")
probe(class-first-kind "{${item}, \"roundTrip\": {\"class\": \"TAddressRect\", \"hex\": \"${address}\"}}" 0 "\"kind\": 1,")
probe(foreign-kind "{${item}, \"roundTrip\": {\"class\": \"TAddressRect\", \"kind\": 0}}" 1 "\"error\": \"TAddressRect does not serve kind 0\"")
# An item at the end of the int range: pictures and frames saturate, nothing overflows.
probe(far-out "{\"rect\": [2147483000, 2147483000, 2147483647, 2147483647], \"lines\": [\"東\"], \"dpi\": 600, \"clipSide\": 1, \"clipLine\": 2147483647}" 0 "\"printRect\": [")
