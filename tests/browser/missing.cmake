message(FATAL_ERROR "The browser tests cannot run: ${WHAT} is missing.")
