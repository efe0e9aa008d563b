# Puts a freshly made template into the application folder without ever replacing a
# database that holds the user's changes. STAGE/new holds the new template; STAGE/current
# the template installed last time.
set(_new ${STAGE}/new/KORDB.MDB)
set(_current ${STAGE}/current/KORDB.MDB)
set(_db ${APP_DIR}/KORDB.MDB)

set(_replace FALSE)
if(NOT EXISTS ${_db})
  set(_replace TRUE)
elseif(EXISTS ${_current})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${_db} ${_current} RESULT_VARIABLE _differs)
  if(_differs EQUAL 0)
    set(_replace TRUE)
  endif()
endif()

file(MAKE_DIRECTORY ${APP_DIR})
if(_replace)
  file(COPY_FILE ${_new} ${_db})
else()
  message(STATUS "Kept ${_db}: it holds changes of its own. The new template is ${_current}.")
endif()
# The workgroup file holds no user data.
file(COPY_FILE ${STAGE}/new/KORDB.MDW ${APP_DIR}/KORDB.MDW)
file(REMOVE_RECURSE ${STAGE}/current)
file(RENAME ${STAGE}/new ${STAGE}/current)
