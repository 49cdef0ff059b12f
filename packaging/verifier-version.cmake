# Vérifie que la fiche AppStream (dernière version publiée), la page de manuel et le journal
# du paquet Debian annoncent tous la version du projet.
# Usage : cmake -DVERSION=x.y.z -DMETAINFO=... -DMANUEL=... -DCHANGELOG=... -P verifier-version.cmake

function(verifier fichier motif quoi)
  file(READ "${fichier}" texte)
  if(NOT texte MATCHES "${motif}")
    message(FATAL_ERROR "${quoi} : version introuvable dans ${fichier}")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "${quoi} annonce ${CMAKE_MATCH_1}, le projet est en ${VERSION}")
  endif()
endfunction()

# Les versions de la fiche vont de la plus récente à la plus ancienne : la première compte.
verifier("${METAINFO}" "<release version=\"([^\"]+)\"" "La fiche AppStream")
verifier("${MANUEL}" "\n\\.TH GALVIA 1 \"[^\"]*\" \"Galvia ([^\"]+)\"" "La page de manuel")
# Le journal Debian peut ajouter une révision après un tiret.
verifier("${CHANGELOG}" "^galvia \\(([^)-]+)" "Le journal du paquet Debian")
