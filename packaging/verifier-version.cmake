# Checks that the AppStream metadata (latest release), the manual page and the Debian
# changelog all give the project's version.
# Usage: cmake -DVERSION=x.y.z -DMETAINFO=... -DMANUEL=... -DCHANGELOG=... -P verifier-version.cmake

function(verifier fichier motif quoi)
  file(READ "${fichier}" texte)
  if(NOT texte MATCHES "${motif}")
    message(FATAL_ERROR "${quoi}: no version found in ${fichier}")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "${quoi} gives ${CMAKE_MATCH_1}, the project is at ${VERSION}")
  endif()
endfunction()

# The metadata lists releases newest first: the first one counts.
verifier("${METAINFO}" "<release version=\"([^\"]+)\"" "The AppStream metadata")
verifier("${MANUEL}" "\n\\.TH GALVIA 1 \"[^\"]*\" \"Galvia ([^\"]+)\"" "The manual page")
# The Debian changelog may add a revision after a dash.
verifier("${CHANGELOG}" "^galvia \\(([^)-]+)" "The Debian changelog")
