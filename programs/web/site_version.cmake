# Writes the site's service worker (SITE/sw.js) from TEMPLATE with the build's
# version: the SHA-256 of the site's files, so that every build that changes
# what the player gets has a cache of its own.
set(content "")
foreach(name index.html page.js controls.js game.js kept.js links.js watching.js words.js
             check_worker.js cave.js cave.wasm cave-check.js cave-check.wasm manifest.webmanifest)
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND content ${hash})
endforeach()
string(SHA256 version "${content}")
string(SUBSTRING ${version} 0 16 CAVE_SITE_VERSION)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
