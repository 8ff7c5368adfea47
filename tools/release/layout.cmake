# Lays out the installable folder OUT/NAME from the build's BIN folder and packs it as OUT/NAME.zip.
# FILES: the paths below BIN to ship; README: the user's read-me, shipped as ReadMe.txt with
# Windows line ends; ZIP: the zip program. Run by the vgt_release target.
set(folder ${OUT}/${NAME})
file(REMOVE_RECURSE ${folder} ${OUT}/${NAME}.zip)
foreach(f ${FILES})
  if(NOT EXISTS ${BIN}/${f})
    message(FATAL_ERROR "${BIN}/${f} is missing: build the deliverables and catalogs first")
  endif()
  get_filename_component(dir ${f} DIRECTORY)
  file(COPY ${BIN}/${f} DESTINATION ${folder}/${dir})
endforeach()
file(READ ${README} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${folder}/ReadMe.txt "${text}")
# -X: no Unix owners or extra times in the archive; the folder is the archive's one top entry.
execute_process(COMMAND ${ZIP} -q -r -X ${NAME}.zip ${NAME} WORKING_DIRECTORY ${OUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zip failed (${status}) packing ${folder}")
endif()
