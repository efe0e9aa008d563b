# Puts a freshly made template into the application folder, which holds only the template:
# the user's database lives in the per-user data folder. STAGE/new holds the new template,
# STAGE/current the template installed last time.
#
# A KORDB.MDB that differs from the template installed last time was written to: it is a
# database from before the user's database left the application folder. It is never
# replaced; the new template goes beside it as KORDB.MDB.template, and the program moves the
# database to the per-user folder on its next start (keeping the old file under a new name).
set(_new ${STAGE}/new/KORDB.MDB)
set(_last ${STAGE}/current/KORDB.MDB)
set(_db ${APP_DIR}/KORDB.MDB)
set(_beside ${APP_DIR}/KORDB.MDB.template)

set(_written FALSE)
if(EXISTS ${_db})
  set(_written TRUE)
  if(EXISTS ${_last})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${_db} ${_last} RESULT_VARIABLE _differs)
    if(_differs EQUAL 0)
      set(_written FALSE)
    endif()
  endif()
endif()

file(MAKE_DIRECTORY ${APP_DIR})
if(_written)
  file(COPY_FILE ${_new} ${_beside})
  message(STATUS "Kept ${_db}: it holds changes. The program moves it to the per-user data folder on its next start.")
else()
  file(COPY_FILE ${_new} ${_db})
  file(REMOVE ${_beside})
endif()
# The workgroup file holds no user data, only the program's built-in log-in: it always
# matches the program just built.
file(COPY_FILE ${STAGE}/new/KORDB.MDW ${APP_DIR}/KORDB.MDW)
file(REMOVE_RECURSE ${STAGE}/current)
file(RENAME ${STAGE}/new ${STAGE}/current)
