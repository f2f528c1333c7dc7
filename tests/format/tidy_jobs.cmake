# Writes one job per production source for check_tidy.sh: where the build compiles it and how to
# list, as the build's compiler finds them, the project's files its compilation reads (the
# system's headers left out: -MM). Fails when a source is
# missing from the build's compile_commands.json, for clang-tidy could not check it as it is built.
# Variables: DB (compile_commands.json), FILES (absolute source paths, one a line), JOBS (folder).
cmake_minimum_required(VERSION 3.25)

function(shell_quote out text)
    string(REPLACE "'" "'\\''" text "${text}")
    set(${out} "'${text}'" PARENT_SCOPE)
endfunction()

file(READ "${DB}" db)
string(JSON count LENGTH "${db}")
math(EXPR last "${count} - 1")
set(known "")
foreach(i RANGE ${last})
    string(JSON file GET "${db}" ${i} file)
    # A source built into several targets is checked as its first target builds it.
    if(NOT DEFINED "entry_${file}")
        set("entry_${file}" ${i})
        list(APPEND known "${file}")
    endif()
endforeach()

file(STRINGS "${FILES}" sources)
file(MAKE_DIRECTORY "${JOBS}")
set(missing "")
set(number 0)
foreach(source ${sources})
    if(NOT DEFINED "entry_${source}")
        list(APPEND missing "${source}")
        continue()
    endif()
    set(i ${entry_${source}})
    string(JSON directory GET "${db}" ${i} directory)
    string(JSON command GET "${db}" ${i} command)
    # No object file is wanted, only the list of what the compilation reads. Where the object's
    # name cannot be taken out (a path with blanks), the listing fails and the file is simply
    # checked every time.
    string(REGEX REPLACE " -o [^ ]+ " " " command "${command}")
    shell_quote(quoted_source "${source}")
    shell_quote(quoted_directory "${directory}")
    math(EXPR number "${number} + 1")
    file(WRITE "${JOBS}/${number}.job"
        "source=${quoted_source}\n"
        "directory=${quoted_directory}\n"
        "inputs() {\n    ${command} -MM -MF /dev/stdout -o /dev/null\n}\n")
endforeach()

if(missing)
    list(JOIN missing "\n  " missing_text)
    message(FATAL_ERROR "not in the build's compile_commands.json, so not checked:\n  ${missing_text}\n"
        "build the tree first")
endif()
