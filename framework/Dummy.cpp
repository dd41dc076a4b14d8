int qv_dummy;
