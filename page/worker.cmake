# Writes the site's service worker (sw.js.in) with the list of the site's files and a release name
# that changes whenever any of them does, so that a browser takes the new worker and its copy.
#   cmake -DTEMPLATE=sw.js.in -DSITE=folder -DFILES="index.html;..." -DVERSION=1.00 -DOUTPUT=sw.js -P worker.cmake
set(sums "")
set(names "")
foreach(file IN LISTS FILES)
    file(SHA256 "${SITE}/${file}" sum)
    string(APPEND sums "${sum} ${file}\n")
    # The page is the folder's own address.
    if(file STREQUAL "index.html")
        set(file "./")
    endif()
    list(APPEND names "\"${file}\"")
endforeach()
string(SHA256 sum "${sums}")
string(SUBSTRING "${sum}" 0 16 sum)
set(RELEASE "${VERSION}-${sum}")
list(JOIN names ", " FILES)
set(FILES "[${FILES}]")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
