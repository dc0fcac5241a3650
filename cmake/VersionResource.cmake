# A version resource made from resources/version.rc.in: the project's version under the file's
# own names, so that main.exe and orcoredll.dll carry the same one.
function(soriel_version_resource output internal_name extension file_type description)
    set(VERSION_INTERNAL_NAME ${internal_name})
    set(VERSION_EXTENSION ${extension})
    set(VERSION_FILE_TYPE ${file_type})
    set(VERSION_DESCRIPTION ${description})
    configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${output} @ONLY)
endfunction()
