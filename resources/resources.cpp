// Images of the resource tree are added here.
