// Command, the host's custom push button.
